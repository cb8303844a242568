#pragma once

#include <string>
#include <vector>

#include "model/matrixstate.h"

namespace corvane {
class MainWindow;
}

// What must hold after every step of a soak run. Each check returns one line per violation, so a
// failing run can say everything that went wrong at once.
namespace soak {

// The grid, the unit panels, the arrangement, the indicators and the status texts show what the
// window's model holds.
std::vector<std::string> ScreenViolations(corvane::MainWindow& window);

// Once the unit's echoes have been polled, the program's model of every unit the unit has agrees
// with the unit's own: orientation, current memories, work memories and stored memories.
class UnitComparison {
  public:
    // The image has no room for unit 3's channel routes, nor for unit 2's in its last memories, so
    // after an image travelled either way the two sides may hold channel routes there that the
    // other never learns; recalls and stores then carry them on within that unit. A unit's channel
    // routes are compared again once they agree everywhere, as after File New.
    void imageTravelled() { m_uncertain[2] = m_uncertain[3] = true; }
    std::vector<std::string> violations(const corvane::MatrixState& program,
                                        const corvane::MatrixState& unit);

  private:
    bool m_uncertain[corvane::kUnits] = {};
};

}  // namespace soak
