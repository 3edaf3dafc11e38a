#include "unitpositions.h"

CUnitPositions::CUnitPositions(int unit, std::size_t capacity)
    : m_head(unit == 1 ? 256u : 65536u, kNone), m_tail(m_head.size(), kNone), m_nodes(capacity + 1) {
    for (std::size_t i = 0; i + 1 < m_nodes.size(); ++i) {
        m_nodes[i].next = static_cast<std::uint32_t>(i + 1);
    }
    m_nodes.back().next = kNone;
}
