#pragma once

#include <cstdint>
#include <random>
#include <string>

#include "fileformfixture.h"

// Plays a seeded random mix of operator actions on the real window and front-panel events on the
// virtual unit. The same seed plays the same steps: nothing depends on the clock, the timers are
// ticked by the driver, and dialogs and questions are answered from the same random stream.
namespace soak {

class Driver {
  public:
    Driver(FileFormFixture& fixture, std::uint64_t seed);

    // Performs one step and says what it was.
    std::string step();
    // Polls until the unit has nothing more to report, as the 5 ms timer would.
    void pollEchoes();

  private:
    int pick(int n) { return static_cast<int>(m_random() % static_cast<std::uint64_t>(n)); }
    bool chance(int percent) { return pick(100) < percent; }

    std::string clickCrosspoint();
    std::string pressArrows();
    std::string clickMemory();
    std::string clickFunctionKey();
    std::string clickOk();
    std::string tickBlinkTimer();
    std::string chooseArrangement();
    std::string selectUnit();
    std::string editNames();
    std::string useFiles();
    std::string useFrontPanel();

    FileFormFixture& m_fixture;
    corvane::MainWindow& m_window;
    std::mt19937_64 m_random;
};

}  // namespace soak
