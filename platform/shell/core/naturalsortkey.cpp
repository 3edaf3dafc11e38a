#include "naturalsortkey.h"

#include <algorithm>
#include <locale.h>
#include <string.h>

namespace {

// Key bytes: a text run is 0x02 then its collation bytes (0x00 and 0x01 escaped) then 0x00 0x01, so a
// shorter run sorts first; a number is 0x01, its digit count and its digits without leading zeros. The
// name's own bytes follow last, to order names the collation finds equal.
constexpr char kNumber = 0x01;
constexpr char kText = 0x02;

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

void AppendEscaped(std::string_view bytes, std::string& key) {
    for (const char c : bytes) {
        if (c == 0 || c == 1) {
            key += '\x01';
            key += static_cast<char>(c + 1);
        } else {
            key += c;
        }
    }
}

} // namespace

CNaturalSortKey::CNaturalSortKey() {
    locale_t locale = newlocale(LC_COLLATE_MASK, "", static_cast<locale_t>(0));
    if (!locale)
        locale = newlocale(LC_COLLATE_MASK, "C", static_cast<locale_t>(0));
    m_locale = locale;
}

CNaturalSortKey::~CNaturalSortKey() {
    if (m_locale)
        freelocale(static_cast<locale_t>(m_locale));
}

void CNaturalSortKey::AppendText(std::string_view text, std::string& key) {
    key += kText;
    m_text.assign(text);
    bool collated = false;
    if (m_locale && m_text.find('\0') == std::string::npos) {
        if (m_collated.size() < 4 * m_text.size() + 16)
            m_collated.resize(4 * m_text.size() + 16);
        std::size_t length =
            strxfrm_l(m_collated.data(), m_text.c_str(), m_collated.size(), static_cast<locale_t>(m_locale));
        if (length >= m_collated.size()) {
            m_collated.resize(length + 1);
            length = strxfrm_l(m_collated.data(), m_text.c_str(), m_collated.size(),
                               static_cast<locale_t>(m_locale));
        }
        if (length < m_collated.size()) {
            AppendEscaped(std::string_view(m_collated.data(), length), key);
            collated = true;
        }
    }
    if (!collated)
        AppendEscaped(text, key);
    key += '\0';
    key += '\x01';
}

void CNaturalSortKey::Append(std::string_view name, std::string& key) {
    std::size_t at = 0;
    while (at < name.size()) {
        std::size_t end = at;
        if (IsDigit(name[at])) {
            while (end < name.size() && IsDigit(name[end]))
                ++end;
            std::size_t first = at;
            while (first + 1 < end && name[first] == '0')
                ++first;
            key += kNumber;
            key += static_cast<char>(std::min<std::size_t>(end - first, 255));
            key.append(name.substr(first, end - first));
        } else {
            while (end < name.size() && !IsDigit(name[end]))
                ++end;
            AppendText(name.substr(at, end - at), key);
        }
        at = end;
    }
    // Ends the runs below anything a run can start with, then breaks ties by the bytes themselves.
    key += '\0';
    AppendEscaped(name, key);
}
