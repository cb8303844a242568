#include "app/keystrokes.h"

#include <QKeyEvent>

#include <algorithm>

namespace corvane {

KeyStrokes::Key& KeyStrokes::find(int code) {
    const auto at =
        std::find_if(m_keys.begin(), m_keys.end(), [code](const Key& k) { return k.code == code; });
    if (at != m_keys.end()) return *at;
    return m_keys.emplace_back(Key{code});
}

bool KeyStrokes::pressed(const QKeyEvent& key) {
    Key& k = find(key.key());
    const unsigned long long at = key.timestamp();
    const bool repeat =
        k.down || key.isAutoRepeat() || (at != 0 && k.releasedAt != 0 && at - k.releasedAt <= 1);
    k.down = true;
    return !repeat;
}

void KeyStrokes::released(const QKeyEvent& key) {
    if (key.isAutoRepeat()) return;
    Key& k = find(key.key());
    k.down = false;
    k.releasedAt = key.timestamp();
}

}  // namespace corvane
