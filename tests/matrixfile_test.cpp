#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "storage/matrixfile.h"

#ifdef __unix__
#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include "diskfaults.h"
#endif

using namespace corvane;

namespace {

using Bytes = std::vector<std::uint8_t>;

// Names and a state as the program itself can hold them: every value in range.
MatrixFileContents randomContents(std::mt19937& rng) {
    MatrixFileContents c{};
    const std::string letters =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZ abcdefghijklmnopqrstuvwxyz0123456789-\xC9\xE9\xFF";
    auto randomName = [&] {
        std::string name;
        for (unsigned n = rng() % 20; n > 0; --n) name += letters[rng() % letters.size()];
        return name;
    };
    for (int u = 0; u < kUnits; ++u) {
        for (int e = 0; e < kLineEntries; ++e) c.names.setLineName(u, e, randomName());
        for (int e = 0; e < kChannelEntries; ++e) c.names.setChannelName(u, e, randomName());
    }
    for (auto& unit : c.state.LineRoute)
        for (auto& slot : unit)
            for (auto& v : slot) v = rng() % 5;
    for (auto& unit : c.state.ChannelRoute)
        for (auto& slot : unit)
            for (auto& v : slot) v = rng() % 17;
    for (auto& m : c.state.CurrentMemory) m = rng() % 5;
    c.state.MatrixLayout = rng() % 8;
    c.state.SlaveCount = rng() % 4;
    c.state.SelectedUnit = rng() % (c.state.SlaveCount + 1);
    c.state.ReverseMode = rng() % 3;  // 2 can come from the unit and is kept
    for (auto& f : c.state.UnsavedFlags) f = rng() % 2;
    return c;
}

Bytes toBytes(const MatrixFileBytes& b) {
    return Bytes(b.begin(), b.end());
}

Bytes validFile() {
    std::mt19937 rng(7);
    const MatrixFileContents c = randomContents(rng);
    return toBytes(EncodeMatrixFile(c.names, c.state));
}

// Loads the bytes as the window does, onto a running system with the given slave count.
MatrixFileContents load(const Bytes& bytes, std::uint8_t slaveCount) {
    const MatrixFileLoad loaded = DecodeMatrixFile(bytes);
    EXPECT_TRUE(loaded.ok());
    MatrixFileContents live{};
    live.state.SlaveCount = slaveCount;
    ApplyMatrixFile(loaded.contents, live.names, live.state);
    return live;
}

std::string fileName(const QTemporaryDir& dir, const char* name) {
    return QDir(dir.path()).filePath(QString::fromLatin1(name)).toStdString();
}

void writeFile(const std::string& path, const Bytes& bytes) {
    QFile f(QString::fromStdString(path));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
}

Bytes readFile(const std::string& path) {
    QFile f(QString::fromStdString(path));
    if (!f.open(QIODevice::ReadOnly)) return {};
    const QByteArray data = f.readAll();
    return Bytes(data.begin(), data.end());
}

}  // namespace

TEST(MatrixFileLayout, FieldsAtTheirOffsets) {
    NameTable names{};
    MatrixState state{};
    names.setLineName(2, 16, "N");
    names.setChannelName(3, 4, "D");
    state.LineRoute[3][5][15] = 3;
    state.ChannelRoute[3][5][3] = 15;
    state.ChannelRoute[1][2][1] = 9;
    state.CurrentMemory[3] = 4;
    state.MatrixLayout = 7;
    state.SlaveCount = 2;
    state.SelectedUnit = 1;
    state.ReverseMode = 1;
    state.UnsavedFlags[3] = 1;
    const MatrixFileBytes bytes = EncodeMatrixFile(names, state);

    struct Case {
        int offset;
        std::uint8_t value;
    };
    const Case cases[] = {
        {1000, 'N'}, {1740, 'D'}, {2143, 3}, {2239, 15}, {2144 + 24 + 8 + 1, 9}, {2243, 4}, {2244, 7},
        {2245, 2},   {2246, 1},   {2247, 1}, {2251, 1},
    };
    for (const Case& c : cases) EXPECT_EQ(bytes[c.offset], c.value) << "offset " << c.offset;
    for (int i = 2252; i < kMatrixFileSize; ++i) EXPECT_EQ(bytes[i], 0) << i;
}

TEST(MatrixFileRoundTrip, InRangeDataLoadsBackByteForByte) {
    std::mt19937 rng(2024);
    for (int round = 0; round < 50; ++round) {
        const MatrixFileContents c = randomContents(rng);
        const Bytes written = toBytes(EncodeMatrixFile(c.names, c.state));
        const MatrixFileContents live = load(written, c.state.SlaveCount);
        EXPECT_EQ(toBytes(EncodeMatrixFile(live.names, live.state)), written) << "round " << round;
    }
}

TEST(MatrixFileRoundTrip, ThroughTheFileSystem) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::string path = fileName(dir, "Studio A.cvm");
    std::mt19937 rng(99);
    const MatrixFileContents c = randomContents(rng);

    const MatrixFileSave saved = SaveMatrixFile(path, c.names, c.state);
    ASSERT_TRUE(saved.ok()) << saved.message;
    const Bytes onDisk = readFile(path);
    EXPECT_EQ(onDisk, toBytes(EncodeMatrixFile(c.names, c.state)));

    const MatrixFileLoad loaded = ReadMatrixFile(path);
    ASSERT_TRUE(loaded.ok()) << loaded.message;
    EXPECT_EQ(loaded.message, "");
    EXPECT_EQ(toBytes(EncodeMatrixFile(loaded.contents.names, loaded.contents.state)), onDisk);
}

TEST(MatrixFileDecode, LengthAndChecksum) {
    struct Case {
        std::size_t size;
        std::uint8_t checksum[4];
        MatrixFileStatus status;
    };
    const Case cases[] = {
        {0, {0, 0, 0, 0}, MatrixFileStatus::ReadError},
        {2252, {0, 0, 0, 0}, MatrixFileStatus::ReadError},
        {2255, {0, 0, 0, 0}, MatrixFileStatus::ReadError},
        {2256, {0, 0, 0, 0}, MatrixFileStatus::Ok},
        {3000, {0, 0, 0, 0}, MatrixFileStatus::Ok},
        {2256, {1, 0, 0, 0}, MatrixFileStatus::ChecksumError},
        {2256, {0, 0, 0, 0x80}, MatrixFileStatus::ChecksumError},
        {3000, {0, 0, 1, 0}, MatrixFileStatus::ChecksumError},
        {2255, {1, 0, 0, 0}, MatrixFileStatus::ReadError},  // too short to have a checksum at all
    };
    const Bytes valid = validFile();
    for (const Case& c : cases) {
        Bytes bytes = valid;
        std::memcpy(&bytes[2252], c.checksum, 4);
        bytes.resize(c.size, 0xA5);  // what follows the first 2256 bytes is ignored
        const MatrixFileLoad loaded = DecodeMatrixFile(bytes);
        EXPECT_EQ(loaded.status, c.status) << "size " << c.size << " checksum " << int{c.checksum[0]};
        if (loaded.ok()) {
            const MatrixFileBytes again = EncodeMatrixFile(loaded.contents.names, loaded.contents.state);
            EXPECT_EQ(toBytes(again), valid);
        }
    }
}

TEST(MatrixFileApply, KeepsSlaveCountAndLowersSelectedUnit) {
    struct Case {
        std::uint8_t fileSlaves, fileSelected, liveSlaves, selected;
    };
    const Case cases[] = {
        {3, 3, 1, 1}, {3, 3, 0, 0}, {0, 2, 3, 2}, {3, 1, 1, 1}, {1, 0, 2, 0}, {0, 250, 3, 3},
    };
    for (const Case& c : cases) {
        MatrixFileContents file{};
        file.state.SlaveCount = c.fileSlaves;
        file.state.SelectedUnit = c.fileSelected;
        NameTable names{};
        MatrixState live{};
        live.SlaveCount = c.liveSlaves;
        ApplyMatrixFile(file, names, live);
        EXPECT_EQ(live.SlaveCount, c.liveSlaves);
        EXPECT_EQ(live.SelectedUnit, c.selected) << "file unit " << int{c.fileSelected};
    }
}

TEST(MatrixFileApply, OutOfRangeBytesAreBroughtIntoRange) {
    Bytes bytes = validFile();
    struct Case {
        int offset;
        std::uint8_t inFile, loaded;
    };
    const Case cases[] = {
        {matrixfile::lineRoute(0, 0, 0), 5, 4},
        {matrixfile::lineRoute(3, 5, 15), 0xFF, 4},
        {matrixfile::lineRoute(1, 2, 3), 4, 4},
        {matrixfile::channelRoute(0, 0, 0), 17, 16},
        {matrixfile::channelRoute(3, 5, 3), 0xFF, 16},
        {matrixfile::channelRoute(2, 1, 1), 16, 16},
        {matrixfile::channelRoute(2, 1, 2), 15, 15},
        {matrixfile::kCurrentMemory, 5, 0},
        {matrixfile::kCurrentMemory + 1, 0xFF, 0},
        {matrixfile::kCurrentMemory + 2, 4, 4},
        {matrixfile::kUnsavedFlags, 2, 1},
        {matrixfile::kUnsavedFlags + 3, 0xFF, 1},
        {matrixfile::kReverseMode, 0xFF, 0xFF},  // any non-zero value means reverse and is kept
        {matrixfile::kMatrixLayout, 200, 200},   // the arrangement code corrects it
    };
    for (const Case& c : cases) bytes[c.offset] = c.inFile;

    const MatrixFileContents live = load(bytes, 3);
    const MatrixFileBytes result = EncodeMatrixFile(live.names, live.state);
    for (const Case& c : cases) EXPECT_EQ(result[c.offset], c.loaded) << "offset " << c.offset;
}

TEST(MatrixFileApply, NameFieldsGetTheirProgramForm) {
    struct Case {
        std::string field;  // the 20 bytes in the file
        std::string name;
    };
    const Case cases[] = {
        {std::string(20, 'A'), std::string(15, 'A')},
        {std::string("ABCDEFGHIJKLMNOPQ\0\0\0", 20), "ABCDEFGHIJKLMNO"},
        {std::string("AB\0garbage\0\0\0\0\0\0\0\0\0\0", 20), "AB"},
        {std::string("AB\0\0\0\0\0\0\0\0\0\0\0\0\0xyz\0\0", 20), "AB"},
        {std::string("Line 07\0\0\0\0\0\0\0\0\0\0\0\0\0", 20), "Line 07"},
    };
    for (const Case& c : cases) {
        Bytes bytes = validFile();
        std::memcpy(&bytes[matrixfile::lineName(1, 16)], c.field.data(), kNameFieldSize);
        std::memcpy(&bytes[matrixfile::channelName(3, 4)], c.field.data(), kNameFieldSize);
        const MatrixFileContents live = load(bytes, 3);
        EXPECT_EQ(live.names.lineName(1, 16), c.name);
        EXPECT_EQ(live.names.channelName(3, 4), c.name);
        const std::string field(live.names.ChannelName[3][4], kNameFieldSize);
        EXPECT_EQ(field, c.name + std::string(kNameFieldSize - c.name.size(), '\0'));
    }
}

TEST(MatrixFileMessages, Texts) {
    struct Case {
        MatrixFileStatus status;
        std::string text;
    };
    const Case cases[] = {
        {MatrixFileStatus::Ok, ""},
        {MatrixFileStatus::CannotOpen, "Cannot open file \"C:\\a.cvm\". No such file"},
        {MatrixFileStatus::CannotCreate, "Cannot create file \"C:\\a.cvm\". No such file"},
        {MatrixFileStatus::ReadError, "Stream read error\n\n Error reading the file: C:\\a.cvm "},
        {MatrixFileStatus::WriteError, "Stream write error\n\n Error writing the file: C:\\a.cvm "},
        {MatrixFileStatus::ChecksumError, " Error in file checksum? "},
    };
    for (const Case& c : cases) EXPECT_EQ(MatrixFileMessage(c.status, "C:\\a.cvm", "No such file"), c.text);
}

TEST(MatrixFileRead, FailuresCarryTheirMessage) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::string missing = fileName(dir, "gone.cvm");
    const MatrixFileLoad notThere = ReadMatrixFile(missing);
    EXPECT_EQ(notThere.status, MatrixFileStatus::CannotOpen);
    EXPECT_EQ(notThere.message.rfind("Cannot open file \"" + missing + "\". ", 0), 0u) << notThere.message;

    const MatrixFileLoad folder = ReadMatrixFile(dir.path().toStdString());
    EXPECT_EQ(folder.status, MatrixFileStatus::CannotOpen) << folder.message;

#ifdef __unix__
    // Neither a FIFO without a writer nor a device may hold the window up: both are refused.
    const std::string fifo = fileName(dir, "pipe.cvm");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0);
    for (const std::string& node : {fifo, std::string("/dev/zero")}) {
        const MatrixFileLoad refused = ReadMatrixFile(node);
        EXPECT_EQ(refused.status, MatrixFileStatus::CannotOpen);
        EXPECT_EQ(refused.message, "Cannot open file \"" + node + "\". Not a regular file");
    }
#endif

    const std::string shortFile = fileName(dir, "short.cvm");
    Bytes bytes = validFile();
    bytes.pop_back();
    writeFile(shortFile, bytes);
    const MatrixFileLoad tooShort = ReadMatrixFile(shortFile);
    EXPECT_EQ(tooShort.status, MatrixFileStatus::ReadError);
    EXPECT_EQ(tooShort.message, "Stream read error\n\n Error reading the file: " + shortFile + " ");

    const std::string badSum = fileName(dir, "sum.cvm");
    bytes = validFile();
    bytes[2252] = 1;
    writeFile(badSum, bytes);
    const MatrixFileLoad refused = ReadMatrixFile(badSum);
    EXPECT_EQ(refused.status, MatrixFileStatus::ChecksumError);
    EXPECT_EQ(refused.message, " Error in file checksum? ");
}

TEST(MatrixFileSave, ADirectoryCannotBeCreated) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::string path = fileName(dir, "taken.cvm");
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("taken.cvm")));
    const MatrixFileSave saved = SaveMatrixFile(path, NameTable{}, MatrixState{});
    EXPECT_EQ(saved.status, MatrixFileStatus::CannotCreate);
    EXPECT_EQ(saved.message.rfind("Cannot create file \"" + path + "\". ", 0), 0u) << saved.message;
    EXPECT_GT(saved.message.size(), path.size() + 22) << "the system's error text is missing";
}

#ifdef __unix__
// A shared show folder the operator cannot write: a file there that they can write is saved in
// place, as no copy can be made beside it; a write-protected one is refused and left alone.
TEST(MatrixFileSave, UnwritableFolderTakesTheSaveOnlyInAWritableFile) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::string path = fileName(dir, "show.cvm");
    const std::string locked = fileName(dir, "locked.cvm");
    writeFile(path, Bytes{'o', 'l', 'd'});
    writeFile(locked, Bytes{'o', 'l', 'd'});
    QFile::setPermissions(QString::fromStdString(locked), QFileDevice::ReadOwner);
    NameTable names{};
    names.setLineName(1, 2, "Foyer");
    MatrixFileSave saved, refused;
    {
        const ReadOnlyFolder folder(dir.path());
        if (!folder.holds()) GTEST_SKIP() << "the folder stays writable here";
        saved = SaveMatrixFile(path, names, MatrixState{});
        refused = SaveMatrixFile(locked, names, MatrixState{});
    }
    EXPECT_TRUE(saved.ok()) << saved.message;
    EXPECT_EQ(readFile(path), toBytes(EncodeMatrixFile(names, MatrixState{})));
    EXPECT_EQ(refused.status, MatrixFileStatus::CannotCreate);
    EXPECT_EQ(refused.message, "Cannot create file \"" + locked + "\". Permission denied");
    EXPECT_EQ(readFile(locked), (Bytes{'o', 'l', 'd'}));
}

// A file-size limit makes the disk refuse the bytes half-way, as a full disk would.
TEST(MatrixFileSave, WriteFailureLeavesTheOldFile) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::string path = fileName(dir, "show.cvm");
    writeFile(path, Bytes{'o', 'l', 'd'});

    rlimit before{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &before), 0);
    rlimit small = before;
    small.rlim_cur = 1000;
    const auto oldHandler = signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const MatrixFileSave saved = SaveMatrixFile(path, NameTable{}, MatrixState{});
    setrlimit(RLIMIT_FSIZE, &before);
    signal(SIGXFSZ, oldHandler);

    EXPECT_EQ(saved.status, MatrixFileStatus::WriteError);
    EXPECT_EQ(saved.message, "Stream write error\n\n Error writing the file: " + path + " ");
    EXPECT_EQ(readFile(path), (Bytes{'o', 'l', 'd'}));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1) << "a partial copy was left";
}
#endif

TEST(MatrixFileCaption, NameAfterTheLastSeparatorUpperCased) {
    struct Case {
        std::string path;
        std::string name;
    };
    const Case cases[] = {
        {"C:\\Setups\\Studio A.cvm", "STUDIO A.CVM"},
        {"/home/op/shows/late show.cvm", "LATE SHOW.CVM"},
        {"plain.cvm", "PLAIN.CVM"},
        {"/mixed\\dir/x\\last.Cvm", "LAST.CVM"},
        {"/home/op/", ""},
        {"\xE9t\xE9 \xE0 l'\xEEle.cvm", "\xC9T\xC9 \xC0 L'\xCELE.CVM"},
        {"\xDF\xF7\xFF\xB5.cvm", "\xDF\xF7\xFF\xB5.CVM"},
    };
    for (const Case& c : cases) EXPECT_EQ(CaptionFileName(c.path), c.name) << c.path;
    EXPECT_EQ(FillFormat(matrixfile::kCaptionFormat, {CaptionFileName("C:\\Setups\\Studio A.cvm")}),
              "CORVANE - STUDIO A.CVM");
}
