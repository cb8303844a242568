#pragma once

#include <string>

#include "app/keytable.h"

class QKeyEvent;

namespace corvane {

// The row of the key table bound to this press, or null. The keypad's digits count as the
// others.
const KeyRow* BindingFor(const QKeyEvent& key);

// The key table as Help > Keyboard shows it: rich text, Latin-1.
std::string KeyTableText();

}  // namespace corvane
