#pragma once

#include <vector>

class QKeyEvent;

namespace corvane {

// Tells the press that starts a stroke from the presses of a key held down, so that one stroke is
// one click. Platforms mark their repeats, but not always: X11 sends each repeat as a release and
// a press, and Qt marks the pair only if the press is already queued when the release is
// handled, which on a loaded machine it often is not. The pair carries one time stamp, though,
// which no finger can do, so a press stamped within a millisecond of its key's release goes on
// with the stroke. Events without a stamp (0: made by code, not by a platform) end it.
class KeyStrokes {
  public:
    // True when the press starts a stroke; false while its key has not been released.
    bool pressed(const QKeyEvent& key);
    void released(const QKeyEvent& key);
    // Releases the window never sees (it lost the keyboard) must not hold a key for ever.
    void forget() { m_keys.clear(); }

  private:
    struct Key {
        int code = 0;
        bool down = false;
        unsigned long long releasedAt = 0;
    };
    Key& find(int code);

    std::vector<Key> m_keys;
};

}  // namespace corvane
