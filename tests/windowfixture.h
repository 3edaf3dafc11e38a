#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include <QImage>
#include <QString>
#include <gtest/gtest.h>

#include "compare/core/compsettings.h"
#include "platform/promptrecorder.h"
#include "qstringprint.h"
#include "recordedmessages.h"
#include "snapshots/core/snapshotstore.h"
#include "tempdir.h"

class CBackgroundWork;
class CCompDoc;
class CDocumentHost;
class CDyadmonApp;
class CMainFrame;
class CViewDoc;

inline QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

// Handles events until `work` is done, and the windows have heard of it.
void WaitUntilIdle(CBackgroundWork& work);
// Handles events until `reached` holds: for a state another thread's report brings to the windows.
// False only if it never came within a minute, so a slow machine fails nothing.
bool Eventually(const std::function<bool()>& reached);

// Holds the work at the first report of a step whose text starts with `prefix`, until it is told to
// stop: the window's thread goes on meanwhile, and can stop it by any way the user has.
class CWorkHold {
public:
    CWorkHold(CBackgroundWork& work, QString prefix);
    ~CWorkHold();
    CWorkHold(const CWorkHold&) = delete;
    CWorkHold& operator=(const CWorkHold&) = delete;

    // Returns once the work is held, handling events meanwhile: steps may start from them.
    void Reached();

private:
    CBackgroundWork& m_work;
    QString m_prefix;
    std::atomic<bool> m_held{false};
};

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
                                             CDocumentHost* status = nullptr);
    // The texts of the messages shown since the last call, each expected with `icon`.
    std::vector<QString> Messages(CPrompts::Icon icon = CPrompts::Icon::Error);

    CTempDir dir;
    CRecordedMessages storeMessages;
    CSnapshotStore store{storeMessages};
    CCompSettings settings;
    CPromptRecorder prompts;
};

// The whole program started on a profile and data folder of the test's own, beside a program folder
// with no snapshot folder in it, comparing without asking; prompts answered by a recorder.
class CProgramFixture : public ::testing::Test {
protected:
    CProgramFixture();
    ~CProgramFixture() override;

    CMainFrame& Start();
    void Stop();
    CMainFrame& Frame();
    void Run(int id);
    // Opened and compared: the comparison runs in the background.
    CCompDoc* OpenCompare(const std::string& one, const std::string& two);
    CViewDoc* OpenViewer(const std::string& path);

    CTempDir dir;
    CPromptRecorder prompts;
    std::unique_ptr<CDyadmonApp> app;
};
