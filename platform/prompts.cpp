#include "prompts.h"

#include "dialogprompts.h"

namespace {
CPrompts* g_installed = nullptr;
}

CPrompts& CPrompts::Current() {
    static CDialogPrompts dialogs;
    return g_installed != nullptr ? *g_installed : dialogs;
}

void CPrompts::Install(CPrompts* prompts) {
    g_installed = prompts;
}
