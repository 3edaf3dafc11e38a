#include "childframe.h"

CChildFrame::CChildFrame(QWidget* parent) : QMdiSubWindow(parent) {}
