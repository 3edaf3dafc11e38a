#include "stderrprompts.h"

#include <cstdio>

void CStderrPrompts::Message(QWidget*, const QString& text, Icon icon) {
    std::fprintf(stderr, "%s: %s\n", m_program, text.toLocal8Bit().constData());
    m_failed = m_failed || icon == Icon::Error;
}
