#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QIODevice>
#include <QTemporaryDir>

#include <string>
#include <vector>

#include "diskfaults.h"
#include "storage/xmlsettingsstore.h"

using namespace corvane;

namespace {

class StoreTest : public ::testing::Test {
  protected:
    std::string path(const char* name = "matrix.xml") const {
        return m_dir.filePath(QLatin1String(name)).toStdString();
    }

    static void writeFile(const std::string& file, const std::string& bytes) {
        QFile f(QString::fromStdString(file));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes.data(), static_cast<qint64>(bytes.size()));
    }
    static std::string readFile(const std::string& file) {
        QFile f(QString::fromStdString(file));
        if (!f.open(QIODevice::ReadOnly)) return "<missing>";
        return f.readAll().toStdString();
    }
    // The file's lines joined with "|", after checking that each one ends with CR LF.
    static std::string savedLines(const std::string& file) {
        const std::string bytes = readFile(file);
        std::string joined;
        std::size_t from = 0;
        while (from < bytes.size()) {
            const std::size_t end = bytes.find("\r\n", from);
            EXPECT_NE(end, std::string::npos) << "last line has no CR LF";
            if (end == std::string::npos) break;
            EXPECT_EQ(bytes.substr(from, end - from).find_first_of("\r\n"), std::string::npos);
            joined += (joined.empty() ? "" : "|") + bytes.substr(from, end - from);
            from = end + 2;
        }
        return joined;
    }

    QTemporaryDir m_dir;
};

const std::string kHeader =
    "<?xml version='1.0' encoding='us-ascii' ?>|<!-- Quenda XMLStore Data File -->|<FORMS>";

// Fails the save halfway through writing, as a full disk or a killed process would.
class InterruptedStore : public XmlSettingsStore {
  public:
    using XmlSettingsStore::XmlSettingsStore;

  protected:
    bool writeContent(QIODevice& out, std::string_view content) override {
        out.write(content.data(), static_cast<qint64>(content.size() / 2));
        return false;
    }
};

}  // namespace

TEST_F(StoreTest, NewFileHasExactLinesInFirstWrittenOrder) {
    XmlSettingsStore store(path());
    store.BeginAccess();
    store.WriteSetting("Sec", "B", "2");
    store.WriteSetting("Other", "A", "x");
    store.WriteSetting("Sec", "A", "1");
    store.WriteSetting("Sec", "B", "3");  // an existing key keeps its place
    store.WriteSettingInt("Other", "N", -42);
    store.EndAccess();
    EXPECT_EQ(savedLines(path()), kHeader +
                                      "|  <Sec>|    <B value=\"3\"/>|    <A value=\"1\"/>|  </Sec>"
                                      "|  <Other>|    <A value=\"x\"/>|    <N value=\"-42\"/>|  </Other>"
                                      "|</FORMS>");
}

TEST_F(StoreTest, KeyCreatedEmptyIsTwoLinesUntilItsNextWrite) {
    XmlSettingsStore store(path());
    store.BeginAccess();
    store.WriteSetting("Reopen", "Reopen01", "");
    EXPECT_EQ(store.ReadSetting("Reopen", "Reopen01", "default"), "");
    store.EndAccess();
    EXPECT_EQ(savedLines(path()),
              kHeader + "|  <Reopen>|    <Reopen01>|    </Reopen01>|  </Reopen>|</FORMS>");

    store.BeginAccess();
    EXPECT_EQ(store.ReadSetting("Reopen", "Reopen01", "default"), "");
    store.WriteSetting("Reopen", "Reopen01", "");
    store.EndAccess();
    EXPECT_EQ(savedLines(path()), kHeader + "|  <Reopen>|    <Reopen01 value=\"\"/>|  </Reopen>|</FORMS>");

    store.BeginAccess();
    store.WriteSetting("Reopen", "Reopen01", "/tmp/a.cvm");
    store.WriteSetting("Reopen", "Reopen02", "");
    store.WriteSetting("Reopen", "Reopen02", "b");  // a value replaces a key created empty at once
    store.EndAccess();
    EXPECT_EQ(savedLines(path()), kHeader +
                                      "|  <Reopen>|    <Reopen01 value=\"/tmp/a.cvm\"/>|    <Reopen02 "
                                      "value=\"b\"/>|  </Reopen>|</FORMS>");
}

TEST_F(StoreTest, ValuesAreStoredAsTheyAre) {
    const std::vector<std::string> values = {
        "say \"hi\"", "\"", "a\"b\"c", "<&>", "it's", "&amp;", "caf\xE9 \xFF", "x\"/>", " lead and trail ",
    };
    XmlSettingsStore store(path());
    store.BeginAccess();
    for (std::size_t i = 0; i < values.size(); ++i)
        store.WriteSetting("S", "K" + std::to_string(i), values[i]);
    store.EndAccess();
    EXPECT_NE(readFile(path()).find("    <K3 value=\"<&>\"/>\r\n"), std::string::npos);

    store.BeginAccess();
    for (std::size_t i = 0; i < values.size(); ++i)
        EXPECT_EQ(store.ReadSetting("S", "K" + std::to_string(i), "?"), values[i]) << i;
    store.EndAccess();
}

TEST_F(StoreTest, LineBreakInValueCannotSplitItsLine) {
    XmlSettingsStore store(path());
    store.BeginAccess();
    store.WriteSetting("S", "K", "a\r\nb\nc");
    store.EndAccess();
    store.BeginAccess();
    EXPECT_EQ(store.ReadSetting("S", "K", ""), "a??b?c");
    store.EndAccess();
}

TEST_F(StoreTest, NamesAreComparedWithoutLetterCase) {
    writeFile(path(),
              "<FORMS>\n  <matrixnumber>\n    <lines value=\"3\"/>\n    <NUMBER value='2'/>\n"
              "  </matrixnumber>\n</FORMS>\n");
    XmlSettingsStore store(path());
    store.BeginAccess();
    EXPECT_EQ(store.ReadSettingInt("MatrixNumber", "Lines"), 3);
    EXPECT_EQ(store.ReadSettingInt("MatrixNumber", "Number"), 2);
    store.WriteSettingInt("MatrixNumber", "Lines", 5);
    store.EndAccess();
    // The key keeps the spelling of the file; no second key appears.
    EXPECT_EQ(savedLines(path()),
              "<FORMS>|  <matrixnumber>|    <lines value=\"5\"/>|    <NUMBER value=\"2\"/>"
              "|  </matrixnumber>|</FORMS>");
}

TEST_F(StoreTest, MissingSectionsAndKeysGiveDefaults) {
    writeFile(path(),
              "<FORMS>\r\n  <S>\r\n    <Empty value=\"\"/>\r\n    <Bare value=/>\r\n  </S>\r\n</FORMS>\r\n");
    XmlSettingsStore store(path());
    store.BeginAccess();
    EXPECT_EQ(store.ReadSetting("Nope", "K", "dflt"), "dflt");
    EXPECT_EQ(store.ReadSetting("S", "Nope", "dflt"), "dflt");
    EXPECT_EQ(store.ReadSetting("S", "Empty", "dflt"), "");
    EXPECT_EQ(store.ReadSetting("S", "Bare", "dflt"), "");
    EXPECT_EQ(store.ReadSettingInt("S", "Nope"), -1);
    EXPECT_EQ(store.ReadSettingIntDefault("S", "Nope", 96), 96);
    store.EndAccess();
}

TEST_F(StoreTest, StrictAndLenientIntegers) {
    struct Case {
        const char* text;
        bool valid;
        int value;
    };
    const Case cases[] = {
        {"0", true, 0},
        {"17", true, 17},
        {"-1", true, -1},
        {"+5", true, 5},
        {"007", true, 7},
        {"2147483647", true, 2147483647},
        {"-2147483648", true, -2147483647 - 1},
        {"", false, 0},
        {"abc", false, 0},
        {" 1", false, 0},
        {"1 ", false, 0},
        {"$1F", false, 0},
        {"0x1F", false, 0},
        {"1.0", false, 0},
        {"+", false, 0},
        {"-", false, 0},
        {"--1", false, 0},
        {"2147483648", false, 0},
        {"-2147483649", false, 0},
        {"99999999999999999999", false, 0},
    };
    XmlSettingsStore store(path());
    store.BeginAccess();
    for (const Case& c : cases) {
        store.WriteSetting("S", "K", c.text);
        if (c.valid) {
            EXPECT_EQ(store.ReadSettingInt("S", "K"), c.value) << c.text;
            EXPECT_EQ(store.ReadSettingIntDefault("S", "K", 123), c.value) << c.text;
        } else {
            try {
                store.ReadSettingInt("S", "K");
                ADD_FAILURE() << "no error for '" << c.text << "'";
            } catch (const SettingsError& e) {
                EXPECT_EQ(std::string(e.what()),
                          "'" + std::string(c.text) + "' is not a valid integer value");
            }
            EXPECT_EQ(store.ReadSettingIntDefault("S", "K", 123), 123) << c.text;
        }
    }
    store.EndAccess();
}

TEST_F(StoreTest, LinesOutsideTheRootBlockSurviveEverySave) {
    writeFile(path(),
              "<?xml version='1.0'?>\n<!-- hand made -->\nstray text\n<forms>\n  <S>\n    <K value=\"1\"/>\n"
              "  </S>\n</forms>\ntrailing <b>line</b>\n\n<!-- end -->");
    XmlSettingsStore store(path());
    for (int run = 0; run < 2; ++run) {
        store.BeginAccess();
        store.WriteSetting("S", "K", std::to_string(run));
        store.WriteSetting("T", "K", "new");
        store.EndAccess();
        EXPECT_EQ(savedLines(path()),
                  "<?xml version='1.0'?>|<!-- hand made -->|stray text|<FORMS>|  <S>"
                  "|    <K value=\"" +
                      std::to_string(run) +
                      "\"/>|  </S>|  <T>"
                      "|    <K value=\"new\"/>|  </T>|</FORMS>|trailing <b>line</b>||<!-- end -->");
    }
}

// Hand-edited block lines are written back so that the file reads the same way next time.
TEST_F(StoreTest, HandEditedBlocksAreWrittenBackReadable) {
    writeFile(path(),
              "<FORMS>\n  <Sec>  \n    <K value=\"1\"/>\n  </Other>\n  <A>\n  </val/ue=>\nx</FORMS>\n");
    XmlSettingsStore store(path());
    for (int run = 0; run < 2; ++run) {
        store.BeginAccess();
        EXPECT_EQ(store.ReadSetting("Sec", "K", ""), run == 0 ? "1" : "2");
        store.WriteSetting("Sec", "K", "2");
        store.EndAccess();
        EXPECT_EQ(savedLines(path()), "<FORMS>|  <Sec>|    <K value=\"2\"/>|  </Sec>|  <A>|  </A>|</FORMS>");
    }
}

TEST_F(StoreTest, UnmodifiedStoreLeavesTheFileAlone) {
    const std::string bytes = "<FORMS>\n  <S>\n    <K value=\"1\"/>\n  </S>\n</FORMS>";
    writeFile(path(), bytes);
    XmlSettingsStore store(path());
    store.BeginAccess();
    EXPECT_EQ(store.ReadSetting("S", "K", ""), "1");
    store.EndAccess();
    EXPECT_EQ(readFile(path()), bytes);
}

TEST_F(StoreTest, FileWithoutRootBlockGetsHeaderBeforeItsLines) {
    const std::pair<const char*, const char*> cases[] = {
        {"hello\r\nworld\r\n", "hello|world"},
        {"", ""},
        {"<FORMS>\n  <S>\n", "<FORMS>|  <S>"},  // cut short: no end line
    };
    for (const auto& [content, oldLines] : cases) {
        writeFile(path(), content);
        XmlSettingsStore store(path());
        store.BeginAccess();
        EXPECT_TRUE(store.isModified());
        store.EndAccess();
        std::string expected = kHeader + "|</FORMS>";
        if (*oldLines) expected += "|" + std::string(oldLines);
        EXPECT_EQ(savedLines(path()), expected);
    }
}

TEST_F(StoreTest, LineEndingsReadAlike) {
    const std::string content =
        "<FORMS>|  <S>|    <A value=\"1\"/>|    <B value=\"\"/>|  </S>|</FORMS>|after";
    std::string expected;
    for (const char* ending : {"\r\n", "\n", "\r"}) {
        std::string bytes = content;
        for (std::size_t at; (at = bytes.find('|')) != std::string::npos;) bytes.replace(at, 1, ending);
        writeFile(path(), bytes);
        XmlSettingsStore store(path());
        store.BeginAccess();
        EXPECT_EQ(store.ReadSetting("S", "A", ""), "1") << ending;
        EXPECT_EQ(store.ReadSetting("S", "B", "x"), "") << ending;
        store.WriteSetting("S", "C", "3");
        store.EndAccess();
        EXPECT_EQ(savedLines(path()),
                  "<FORMS>|  <S>|    <A value=\"1\"/>|    <B value=\"\"/>|    <C value=\"3\"/>"
                  "|  </S>|</FORMS>|after");
    }
}

TEST_F(StoreTest, BrokenRootBlockFailsAndLeavesFileUntouched) {
    const char* files[] = {
        "<FORMS>\n  <S>\n    <K value=\"1\"/>\n</FORMS>\n",  // element not ended
        "<FORMS>\n  <S>\n  </S>\n  </S>\n</FORMS>\n",        // extra end line
        "<FORMS>\n  <S>\n\n  </S>\n</FORMS>\n",              // a blank line opens an element
        "<FORMS>\n</FORMS>\n<FORMS>\n</FORMS>\n",            // a second block after the first
        "</FORMS>\n",                                        // a stray end line
    };
    for (const char* content : files) {
        writeFile(path(), content);
        XmlSettingsStore store(path());
        try {
            store.BeginAccess();
            ADD_FAILURE() << "accepted: " << content;
        } catch (const SettingsError& e) {
            EXPECT_EQ(std::string(e.what()), "Invalid XMLStore File Format");
        }
        EXPECT_FALSE(store.isOpen());
        store.EndAccess();
        EXPECT_EQ(readFile(path()), content);
    }
}

TEST_F(StoreTest, FileIsReadAtFirstAndWrittenAtLastAccess) {
    XmlSettingsStore store(path());
    store.BeginAccess();
    store.BeginAccess();
    store.WriteSetting("S", "K", "v");
    store.EndAccess();
    EXPECT_EQ(store.openCount(), 1);
    EXPECT_EQ(readFile(path()), "<missing>");
    // Another writer changes the file meanwhile; the open store does not notice and wins.
    writeFile(path(), "<FORMS>\n  <S>\n    <K value=\"other\"/>\n  </S>\n</FORMS>\n");
    EXPECT_EQ(store.ReadSetting("S", "K", ""), "v");
    store.EndAccess();
    EXPECT_EQ(store.openCount(), 0);
    store.EndAccess();  // one too many changes nothing
    EXPECT_EQ(store.openCount(), 0);
    store.BeginAccess();
    EXPECT_EQ(store.ReadSetting("S", "K", ""), "v");
    store.EndAccess();
}

TEST_F(StoreTest, InterruptedSaveKeepsTheOldFile) {
    const std::string old = "<FORMS>\r\n  <S>\r\n    <K value=\"old\"/>\r\n  </S>\r\n</FORMS>\r\n";
    writeFile(path(), old);
    InterruptedStore store(path());
    store.BeginAccess();
    store.WriteSetting("S", "K", std::string(5000, 'n'));
    EXPECT_THROW(store.EndAccess(), SettingsError);
    EXPECT_FALSE(store.isOpen());
    EXPECT_EQ(readFile(path()), old);
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("matrix.xml")});
}

// A real full disk: the copy beside the file gets only part of the bytes. The old file must stay
// byte for byte and the failure must be reported, with nothing left behind.
TEST_F(StoreTest, SaveToAFullDiskKeepsTheOldFileAndSaysSo) {
    const std::string old = "<FORMS>\r\n  <S>\r\n    <K value=\"old\"/>\r\n  </S>\r\n</FORMS>\r\n";
    writeFile(path(), old);
    XmlSettingsStore store(path());
    store.BeginAccess();
    store.WriteSetting("S", "K", std::string(5000, 'n'));
    try {
        const FileSizeLimit fullDisk(1000);
        store.EndAccess();
        ADD_FAILURE() << "a short write was taken for a save";
    } catch (const SettingsError& e) {
        EXPECT_EQ(std::string(e.what()), "Cannot write file \"" + path() + "\". File too large");
        EXPECT_TRUE(e.namesFile());
    }
    EXPECT_FALSE(store.isOpen());
    EXPECT_EQ(readFile(path()), old);
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden),
              QStringList{QStringLiteral("matrix.xml")});
}

// A shared folder the operator cannot write, holding a settings file they can: the file is
// written in place, since no copy can be made beside it. A file they cannot write either stays.
TEST_F(StoreTest, ReadOnlyFolderTakesTheSaveInPlaceOnlyForAWritableFile) {
    const std::string old =
        "<FORMS>\r\n  <S>\r\n    <K value=\"" + std::string(300, 'o') + "\"/>\r\n  </S>\r\n</FORMS>\r\n";
    writeFile(path(), old);
    writeFile(path("locked.xml"), old);
    QFile::setPermissions(QString::fromStdString(path("locked.xml")), QFileDevice::ReadOwner);
    XmlSettingsStore store(path());
    XmlSettingsStore locked(path("locked.xml"));
    for (XmlSettingsStore* s : {&store, &locked}) {
        s->BeginAccess();
        s->WriteSetting("S", "K", "new");
    }
    {
        const ReadOnlyFolder folder(m_dir.path());
        if (!folder.holds()) GTEST_SKIP() << "the folder stays writable here";
        store.EndAccess();
        try {
            locked.EndAccess();
            ADD_FAILURE() << "saved over a write-protected file";
        } catch (const SettingsError& e) {
            EXPECT_EQ(std::string(e.what()),
                      "Cannot create file \"" + path("locked.xml") + "\". Permission denied");
        }
    }
    EXPECT_EQ(savedLines(path()), "<FORMS>|  <S>|    <K value=\"new\"/>|  </S>|</FORMS>");
    EXPECT_EQ(readFile(path("locked.xml")), old);
}

// Something at the file's place that is not a file (a FIFO) would hold the start-up forever.
TEST_F(StoreTest, FifoInsteadOfTheFileIsRefusedAtOnce) {
    ASSERT_EQ(mkfifo(path().c_str(), 0644), 0);
    XmlSettingsStore store(path());
    try {
        store.BeginAccess();
        ADD_FAILURE() << "read a FIFO as the settings file";
    } catch (const SettingsError& e) {
        EXPECT_EQ(std::string(e.what()), "Cannot open file \"" + path() + "\". Not a regular file");
    }
    EXPECT_FALSE(store.isOpen());
}

TEST_F(StoreTest, UncreatableFileNamesPathAndReason) {
    const std::string file = path("missing-folder/matrix.xml");
    XmlSettingsStore store(file);
    store.BeginAccess();
    store.WriteSetting("S", "K", "v");
    try {
        store.EndAccess();
        ADD_FAILURE() << "saved into a missing folder";
    } catch (const SettingsError& e) {
        EXPECT_EQ(std::string(e.what()), "Cannot create file \"" + file + "\". No such file or directory");
    }
    EXPECT_FALSE(store.isOpen());
}
