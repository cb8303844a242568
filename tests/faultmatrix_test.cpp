#include <gtest/gtest.h>

#include <QPushButton>
#include <QTest>
#include <QToolBar>

#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "fileformfixture.h"
#include "statediff.h"
#include "storage/settingsfile.h"
#include "view/crosspointbutton.h"
#include "view/led.h"

using namespace corvane;

// Every request the program sends, against each way the unit can fail it: what the operator is
// shown, what reached the unit, whether the program goes on, and that nothing kept is lost.

namespace {

enum class Fault { Fail, Timeout, Short, Unplug };
// Which boxes an error shows.
enum class Report { Command, Image, Silent, Manufacturer, Product };
// Which faults end the program: only a lost unit (found by the next poll), any error at once, or
// every fault, a short reply included.
enum class Ends { LostUnit, AnyError, AnyFault };

// The window's second run. The first one renamed a line, routed one the unit does not know about,
// saved a matrix file and wrote the settings at its shutdown.
struct Bench : FileFormFixture {
    void firstRun() {
        firmware().state().LineRoute[0][0][2] = 1;
        MainWindow& window = open();
        EditNames(window.controller(), [&](corvane::NameTable& n) { n.setLineName(0, 3, "Talkback"); });
        EditState(window.controller(), [&](corvane::MatrixState& s) { s.LineRoute[0][0][7] = 3; });
        window.controller().saveFile(file);
        this->window.reset();
        saved = ReadBytes(file);
        takeRequests();
    }
    void click(QWidget* key) { QTest::mouseClick(key, Qt::LeftButton); }
    // The tool bar's Open, answered with the matrix file.
    void fileOpen() {
        answers.push_back(file);
        click(window->commands().toolBar->widgetForAction(window->commands().open));
    }
    // Ends an armed function-key step, as the blink timer does.
    void settle() {
        for (int tick = 0; tick < 4 && window->controller().functionKeys().step() != Step::Idle; ++tick)
            window->controller().blinkTick();
    }

    const std::string file = path("faults.cvm");
    std::vector<std::uint8_t> saved;
    MatrixState before{};
};

struct Request {
    const char* name;
    std::uint8_t requestType;
    std::uint8_t request;
    int value;  // -1 for any; tells the two string reads apart
    bool atStartup;
    int passFirst;    // requests of this code answered whole before the faulty one
    int unplugAfter;  // transfers answered before the unit disappears
    int shortLength;
    Report report;
    Ends ends;
    void (*act)(Bench&);
    // The program's own change, or what it must not have changed, after the faulty request.
    void (*kept)(Bench&, Fault);

    bool matches(const UsbRequest& r) const {
        return r.requestType == requestType && r.request == request && (value < 0 || r.value == value);
    }
};

void ExpectUnread(Bench& b, Fault) {
    MatrixState read = b.window->controller().state();
    read.MatrixLayout = read.SelectedUnit = 0;  // these come from the settings
    const MatrixState zero{};
    EXPECT_TRUE(SameState(zero, read));
    EXPECT_NE(b.window->grid().button(4, 16), nullptr);  // the window is built all the same
}

void ExpectUnchanged(Bench& b, Fault) {
    EXPECT_TRUE(SameState(b.before, b.window->controller().state()));
}

constexpr Request kRequests[] = {
    {"SetRoute", kVendorIn, 4, -1, false, 0, 0, 3, Report::Command, Ends::LostUnit,
     [](Bench& b) { b.click(b.window->grid().button(2, 9)); },
     [](Bench& b, Fault) {
         EXPECT_EQ(b.window->controller().state().LineRoute[0][0][9], 2);
         EXPECT_TRUE(b.window->grid().button(2, 9)->isConnected());
     }},
    {"SetReverse", kVendorIn, 5, -1, false, 0, 0, 3, Report::Command, Ends::LostUnit,
     [](Bench& b) {
         b.click(b.window->functionsPanel()->key(kReverseTag));
         b.click(b.window->okKey());
     },
     [](Bench& b, Fault) {
         EXPECT_EQ(b.window->controller().state().ReverseMode, 1);
         EXPECT_TRUE(b.window->functionsPanel()->key(kReverseTag)->isChecked());
         EXPECT_TRUE(b.window->functionsPanel()->lamp(3)->isLit());
     }},
    {"Recall", kVendorIn, 6, -1, false, 0, 0, 3, Report::Command, Ends::LostUnit,
     [](Bench& b) { b.click(b.window->recallPanel()->key(2)); },
     [](Bench& b, Fault) {
         EXPECT_EQ(b.window->controller().state().CurrentMemory[0], 2);
         EXPECT_TRUE(b.window->recallPanel()->lamp(2)->isLit());
     }},
    {"Store", kVendorIn, 8, -1, false, 0, 0, 3, Report::Command, Ends::LostUnit,
     [](Bench& b) {
         b.click(b.window->functionsPanel()->key(kStoreTag));
         b.click(b.window->recallPanel()->key(3));
     },
     [](Bench& b, Fault) {
         EXPECT_EQ(b.window->controller().state().CurrentMemory[0], 3);
         EXPECT_EQ(b.window->controller().state().LineRoute[0][4][7], 3);
         EXPECT_TRUE(b.window->recallPanel()->lamp(3)->isLit());
     }},
    {"Clear", kVendorIn, 10, -1, false, 0, 0, 3, Report::Command, Ends::LostUnit,
     [](Bench& b) {
         b.click(b.window->functionsPanel()->key(kClearTag));
         b.click(b.window->okKey());
     },
     [](Bench& b, Fault) {
         EXPECT_EQ(b.window->controller().state().LineRoute[0][0][7], kDisconnected);
         EXPECT_FALSE(b.window->grid().button(3, 7)->isConnected());
     }},
    {"WriteImage", kVendorOut, 12, -1, false, 0, 0, 100, Report::Image, Ends::LostUnit,
     [](Bench& b) { b.fileOpen(); },
     [](Bench& b, Fault) {
         EXPECT_EQ(b.window->controller().state().LineRoute[0][0][7], 3);
         EXPECT_TRUE(b.window->grid().button(3, 7)->isConnected());
         EXPECT_EQ(b.window->controller().names().lineName(0, 3), "Talkback");
         EXPECT_EQ(b.window->controller().currentFile(), b.file);
     }},
    {"ReadImageAtStartup", kVendorIn, 1, -1, true, 0, 2, 100, Report::Image, Ends::AnyError, nullptr,
     [](Bench& b, Fault fault) {
         if (fault != Fault::Short) return ExpectUnread(b, fault);
         EXPECT_EQ(b.window->controller().state().LineRoute[0][0][2], 1);
         EXPECT_EQ(b.window->controller().state().SlaveCount, 0);  // byte 227 never arrived
     }},
    {"ReadImageOnEvent", kVendorIn, 1, -1, false, 0, 1, 228, Report::Silent, Ends::LostUnit,
     [](Bench& b) {
         MatrixState changed = b.firmware().state();
         changed.LineRoute[0][0][11] = 2;
         b.firmware().replaceConfiguration(changed);
         b.window->controller().pollDevice();
     },
     ExpectUnchanged},
    {"PollEvent", kVendorIn, 50, -1, false, 0, 0, 1, Report::Silent, Ends::AnyError,
     [](Bench& b) {
         b.firmware().pressRecall(4);
         b.window->controller().pollDevice();
     },
     ExpectUnchanged},
    {"ManufacturerString", kStandardIn, 6, 0x0301, true, 0, 0, 10, Report::Manufacturer, Ends::AnyFault,
     nullptr, ExpectUnread},
    {"ProductString", kStandardIn, 6, 0x0302, true, 1, 1, 10, Report::Product, Ends::AnyFault, nullptr,
     ExpectUnread},
};

constexpr const Request& kPoll = kRequests[8];
static_assert(kPoll.request == static_cast<std::uint8_t>(RequestCode::PollEvent));

struct Cell {
    const Request* request;
    Fault fault;
};

// How each fault reads in the USB library's words, and the count it returns.
struct FaultText {
    const char* name;
    const char* error;
    int count;
};
constexpr FaultText kFaultTexts[] = {{"Fail", "Input/output error", -5},
                                     {"Timeout", "Connection timed out", -110},
                                     {"Short", "", 0},
                                     {"Unplug", "No such device", -19}};

void PrintTo(const Cell& c, std::ostream* out) {
    *out << c.request->name << '_' << kFaultTexts[static_cast<int>(c.fault)].name;
}

std::vector<Cell> AllCells() {
    std::vector<Cell> cells;
    for (const Request& r : kRequests)
        for (Fault fault : {Fault::Fail, Fault::Timeout, Fault::Short, Fault::Unplug})
            cells.push_back({&r, fault});
    return cells;
}

// Message boxes as "title text", with the error icon marked.
using Boxes = std::vector<std::string>;

Boxes Shown(const RecordingNotifier& notifier) {
    Boxes boxes;
    for (const auto& m : notifier.messages)
        boxes.push_back(m.title + (m.icon == MessageIcon::Error ? " (error) " : " ") + m.text);
    return boxes;
}

Boxes Expected(const Request& r, Fault fault) {
    const std::string notFound =
        "CORVANE (error) Could not find USB device \"CORVANE Intercom Matrix\" with vid=0x16c0 pid=0x5dc\n";
    const bool stringRead = r.report == Report::Manufacturer || r.report == Report::Product;
    // A short string does not match; any other short reply is accepted.
    if (fault == Fault::Short) return stringRead ? Boxes{notFound} : Boxes{};
    const FaultText& f = kFaultTexts[static_cast<int>(fault)];
    const std::string error = std::string("error sending control message: ") + f.error;
    switch (r.report) {
        case Report::Command:
            return {"CORVANE USB error: " + error + "\n"};
        case Report::Image:
            return {"CORVANE (error) USB error: " + error + "\nonly " + std::to_string(f.count) +
                    " bytes status received\n"};
        case Report::Silent:
            break;
        case Report::Manufacturer:
            return {"CORVANE Warning: cannot query manufacturer for device: " + error + "\n", notFound};
        case Report::Product:
            return {"CORVANE Warning: cannot query product for device: " + error + "\n", notFound};
    }
    return {};
}

// Nothing the operator keeps is lost: the matrix file is as saved, and the settings that the
// shutdown rewrites still load, with the renamed line and the recent file.
void ExpectDataIntact(Bench& b) {
    EXPECT_EQ(ReadBytes(b.file), b.saved);
    b.window.reset();
    XmlSettingsStore store(SettingsLocation(b.dataDir.path().toStdString()));
    SettingsFile settings(store);
    ASSERT_NO_THROW(settings.Open());
    NameTable names{};
    settings.ReadNames(names);
    EXPECT_EQ(names.lineName(0, 3), "Talkback");
    EXPECT_EQ(settings.ReadRecentFiles()[0], b.file);
    store.EndAccess();
}

class FaultMatrix : public testing::TestWithParam<Cell> {
  protected:
    // How many of the requests the unit received since the last call were of this kind.
    int sent(const Request& r) {
        int count = 0;
        for (const UsbRequest& request : b.takeRequests()) count += r.matches(request);
        return count;
    }

    Bench b;
};

TEST_P(FaultMatrix, ShowsWhatItMustAndLosesNothing) {
    const Request& r = *GetParam().request;
    const Fault fault = GetParam().fault;
    b.firstRun();
    ASSERT_TRUE(b.notifier.messages.empty());

    const auto arm = [&] {
        // A "short" reply the size of the buffer is a whole one: it lets the earlier reads through.
        if (r.passFirst > 0) b.unit->addFault({r.requestType, r.request, FaultKind::Short, 256, r.passFirst});
        if (fault == Fault::Unplug) {
            b.unit->unplugAfter(r.unplugAfter);
        } else {
            const FaultKind kind = fault == Fault::Fail      ? FaultKind::Fail
                                   : fault == Fault::Timeout ? FaultKind::Timeout
                                                             : FaultKind::Short;
            b.unit->addFault({r.requestType, r.request, kind, r.shortLength, 1});
        }
    };
    if (r.atStartup) {
        arm();
        b.open();
    } else {
        b.open().show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(b.window.get()));
        // The matrix file is open before the fault, unless opening it is what fails.
        if (r.request != static_cast<std::uint8_t>(RequestCode::WriteImage)) b.fileOpen();
        b.takeRequests();
        b.before = b.window->controller().state();
        arm();
        r.act(b);
        b.settle();
    }
    MainWindow& window = *b.window;
    const Boxes expected = Expected(r, fault);
    EXPECT_EQ(Shown(b.notifier), expected);
    EXPECT_EQ(sent(r), fault == Fault::Unplug ? 0 : 1);  // never repeated
    r.kept(b, fault);

    const bool ends = r.ends == Ends::AnyFault || (r.ends == Ends::AnyError && fault != Fault::Short) ||
                      fault == Fault::Unplug;
    if (ends) {
        if (r.atStartup) {
            EXPECT_EQ(window.startResult(), corvane::StartResult::Failed);
        } else {
            if (r.ends == Ends::LostUnit) window.controller().pollDevice();
            EXPECT_FALSE(window.controller().polling());
        }
        EXPECT_TRUE(QuitRequested());
    } else {
        EXPECT_EQ(window.startResult(), corvane::StartResult::Connected);
        if (!r.atStartup) {
            r.act(b);  // the same action again goes through
            b.settle();
            EXPECT_EQ(sent(r), 1);
        }
        EXPECT_TRUE(window.controller().polling());
        window.controller().pollDevice();
        EXPECT_EQ(sent(kPoll), 1);
        EXPECT_FALSE(QuitRequested());
    }
    EXPECT_EQ(Shown(b.notifier), expected);  // nothing more to say
    ExpectDataIntact(b);
}

INSTANTIATE_TEST_SUITE_P(Requests, FaultMatrix, testing::ValuesIn(AllCells()),
                         [](const testing::TestParamInfo<Cell>& info) {
                             std::ostringstream name;
                             PrintTo(info.param, &name);
                             return name.str();
                         });

}  // namespace
