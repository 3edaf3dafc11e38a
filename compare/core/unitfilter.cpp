#include "unitfilter.h"

CUnitFilter::CUnitFilter(int unit) : m_counts(unit == 1 ? 256u : 65536u, 0) {}
