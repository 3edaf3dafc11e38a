#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include <QImage>
#include <QString>
#include <gtest/gtest.h>

#include "compare/core/compsettings.h"
#include "platform/promptrecorder.h"
#include "recordedmessages.h"
#include "snapshots/core/snapshotstore.h"
#include "tempdir.h"

class CCompDoc;
class CStatusText;

inline QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

// `text` as the views' character grid draws it in `colour` on white, to hold against a painted view.
QImage TextImage(std::string_view text, QRgb colour = qRgb(0, 0, 0));

// What the window tests share: a folder of their own with a snapshot store in it, settings that
// compare at once without asking, and prompts answered by a recorder.
class CWindowFixture : public ::testing::Test {
protected:
    CWindowFixture();

    // Snapshots of dir/"source" as it held "snapshot 1", "snapshot 2", ... named "snap1", "snap2", ...;
    // the source is changed afterwards.
    void TakeSnapshots(int count);
    // A compare document opened, not yet loaded, on dir/"one" and dir/"two" holding the data given.
    std::unique_ptr<CCompDoc> OpenCompareDoc(const std::string& data1, const std::string& data2,
                                             CStatusText* status = nullptr);
    // The texts of the messages shown since the last call, each expected with `icon`.
    std::vector<QString> Messages(CPrompts::Icon icon = CPrompts::Icon::Error);

    CTempDir dir;
    CRecordedMessages storeMessages;
    CSnapshotStore store{storeMessages};
    CCompSettings settings;
    CPromptRecorder prompts;
};
