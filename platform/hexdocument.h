#pragma once

#include <cstdint>

#include "document.h"

// A document shown as rows of hex bytes: a viewed file or a comparison. The user may halve or double
// the bytes a row holds and show or hide the characters column; the document then reads its files
// again. The commands for that live here, so the main window need not know which kind is active.
class CHexDocument : public CDocument {
    Q_OBJECT

public:
    explicit CHexDocument(bool ansi) : m_bAnsi(ansi) {}

    virtual std::int32_t BytesPerLine() const = 0;
    virtual std::int32_t MaxBytesPerLine() const = 0;
    // Clamped to 1 .. MaxBytesPerLine().
    virtual void SetBytesPerLine(std::int32_t bytes) = 0;
    bool IsAnsi() const { return m_bAnsi; }
    void SetAnsi(bool ansi) { m_bAnsi = ansi; }
    // Reads the files afresh with the current display fields and updates the views.
    virtual void Reload() = 0;
    // While its files are being read or compared, the commands that would read them again wait.
    virtual bool IsBusy() const { return false; }
    // The name of a file found cut short since it was read (its bytes past the new end read as zeros);
    // empty when none was.
    virtual QString ChangedFile() const { return {}; }
    // Asks the user, once for each reading, whether to read a file again that was cut short while it
    // was compared or shown. The views call it after they paint.
    void TellIfChanged();

    bool OnCommand(int id) override;
    bool OnUpdateCommand(int id, CommandState& state) override;

    void OnViewAnsi();
    void OnLessColumns();
    void OnMoreColumns();
    void OnUpdateViewAnsi(CommandState& state);
    void OnUpdateLessColumns(CommandState& state);
    void OnUpdateMoreColumns(CommandState& state);

protected:
    // The files were read again: a change is told anew.
    void ForgetChange() { m_bToldChange = false; }

private:
    bool m_bAnsi;
    bool m_bToldChange = false;
};
