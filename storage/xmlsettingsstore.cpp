#include "storage/xmlsettingsstore.h"

#include <QFile>
#include <QFileInfo>
#include <QIODevice>

#include <algorithm>
#include <initializer_list>

#include "storage/diskfile.h"

namespace corvane {

namespace {

constexpr char kBlank = ' ';

// Replaces each %s of the pattern with the next argument.
std::string formatMessage(std::string_view pattern, std::initializer_list<std::string_view> args) {
    std::string out;
    auto arg = args.begin();
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] == '%' && i + 1 < pattern.size() && pattern[i + 1] == 's' && arg != args.end()) {
            out += *arg++;
            ++i;
        } else {
            out += pattern[i];
        }
    }
    return out;
}

// Names are ASCII identifiers; other bytes compare as they are.
char upperAscii(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

bool sameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (upperAscii(a[i]) != upperAscii(b[i])) return false;
    return true;
}

bool containsUpper(std::string_view line, std::string_view mark) {
    std::string upper(line);
    for (char& c : upper) c = upperAscii(c);
    return upper.find(mark) != std::string::npos;
}

// CR LF, LF and CR each end a line; a last line without an ending still counts.
std::vector<std::string> splitLines(const QByteArray& bytes) {
    std::vector<std::string> lines;
    std::string current;
    bool pending = false;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (c == '\r' || c == '\n') {
            lines.push_back(std::move(current));
            current.clear();
            pending = false;
            if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
        } else {
            current += c;
            pending = true;
        }
    }
    if (pending) lines.push_back(std::move(current));
    return lines;
}

std::string indentOf(std::string_view line) {
    return std::string(line.substr(0, std::min(line.size(), line.find_first_not_of(kBlank))));
}

// Leading blanks, a leading '<' and a trailing '>' go, every '/' is deleted and the text ends at
// its first blank. Trailing blanks are ignored so that "<Sec>  " still names "Sec".
std::string nameOf(std::string_view line) {
    const std::size_t first = line.find_first_not_of(kBlank);
    if (first == std::string_view::npos) return {};
    line.remove_prefix(first);
    line.remove_suffix(line.size() - 1 - line.find_last_not_of(kBlank));
    if (!line.empty() && line.front() == '<') line.remove_prefix(1);
    if (!line.empty() && line.back() == '>') line.remove_suffix(1);
    std::string name;
    for (char c : line)
        if (c != '/') name += c;
    return name.substr(0, name.find(kBlank));
}

// The text between the first and the last double quote, else between the first and the last
// single quote, else nothing. Nothing is unescaped.
std::string valueOf(std::string_view line) {
    for (char quote : {'"', '\''}) {
        const std::size_t first = line.find(quote);
        if (first == std::string_view::npos) continue;
        const std::size_t last = line.rfind(quote);
        return std::string(line.substr(first + 1, last > first ? last - first - 1 : 0));
    }
    return {};
}

bool isKeyLine(std::string_view line) {
    return line.find("value=") != std::string_view::npos || line.find("value =") != std::string_view::npos;
}

}  // namespace

bool ParseStrictInt(std::string_view text, int& value) {
    std::size_t i = 0;
    const bool negative = !text.empty() && text[0] == '-';
    if (!text.empty() && (text[0] == '-' || text[0] == '+')) i = 1;
    if (i == text.size()) return false;
    long long magnitude = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9') return false;
        magnitude = magnitude * 10 + (text[i] - '0');
        if (magnitude > 2147483648LL) return false;
    }
    const long long result = negative ? -magnitude : magnitude;
    if (result > 2147483647LL) return false;
    value = static_cast<int>(result);
    return true;
}

XmlSettingsStore::XmlSettingsStore(std::string fileName) : m_fileName(std::move(fileName)) {}

XmlSettingsStore::~XmlSettingsStore() = default;

void XmlSettingsStore::BeginAccess() {
    if (m_openCount == 0) {
        try {
            load();
        } catch (...) {
            close();
            throw;
        }
    }
    ++m_openCount;
}

void XmlSettingsStore::EndAccess() {
    if (m_openCount == 0) return;
    if (--m_openCount > 0) return;
    // Whatever the save does, the store ends closed.
    struct Closer {
        XmlSettingsStore* store;
        ~Closer() { store->close(); }
    } closer{this};
    if (m_modified) save();
}

void XmlSettingsStore::close() {
    m_openCount = 0;
    m_modified = false;
    m_lines.clear();
    m_elements.clear();
    m_rootStart = m_rootEnd = -1;
}

void XmlSettingsStore::requireOpen() const {
    if (m_openCount == 0) throw std::logic_error("settings store used while closed");
}

void XmlSettingsStore::locateRoot() {
    m_rootStart = m_rootEnd = -1;
    for (std::size_t i = 0; i < m_lines.size(); ++i) {
        if (m_rootStart < 0 && containsUpper(m_lines[i], xmlstore::kRootStartMark))
            m_rootStart = static_cast<std::ptrdiff_t>(i);
        if (containsUpper(m_lines[i], xmlstore::kRootEndMark)) m_rootEnd = static_cast<std::ptrdiff_t>(i);
    }
}

void XmlSettingsStore::load() {
    m_lines.clear();
    m_elements.clear();
    m_modified = false;

    if (QFileInfo::exists(PathText(m_fileName))) {
        const FileRead file = ReadRegularFile(m_fileName);
        if (!file.complete)
            throw SettingsError(formatMessage(kCannotOpenFile, {m_fileName, file.error}), true);
        m_lines = splitLines(QByteArray::fromStdString(file.bytes));
    }

    locateRoot();
    if (m_rootStart < 0 || m_rootEnd < 0 || m_rootEnd < m_rootStart) {
        const std::string header[] = {std::string(xmlstore::kDeclaration), std::string(xmlstore::kComment),
                                      std::string(xmlstore::kRootStartMark),
                                      std::string(xmlstore::kRootEndMark)};
        m_lines.insert(m_lines.begin(), std::begin(header), std::end(header));
        m_modified = true;
        locateRoot();
    }

    m_elements.push_back({std::string(xmlstore::kRootName), {}, {}, Kind::Open});
    const std::size_t end = parseChildren(static_cast<std::size_t>(m_rootStart) + 1);
    if (end != static_cast<std::size_t>(m_rootEnd))
        throw SettingsError(std::string(xmlstore::kInvalidFormat));
}

// Parses the lines from `line` on as the root's children and returns the line that ends the root.
// Iterative, so that deeply nested input cannot exhaust the stack.
std::size_t XmlSettingsStore::parseChildren(std::size_t line) {
    int depth = 1;
    for (; line < m_lines.size(); ++line) {
        const std::string& text = m_lines[line];
        if (isKeyLine(text)) {
            m_elements.push_back({nameOf(text), valueOf(text), indentOf(text), Kind::Leaf});
        } else if (text.find("</") != std::string::npos) {
            m_elements.push_back({"/" + nameOf(text), {}, indentOf(text), Kind::End});
            if (--depth == 0) return line;
        } else {
            // A block's line cannot carry a value the writer could reproduce, so none is kept.
            m_elements.push_back({nameOf(text), {}, indentOf(text), Kind::Open});
            ++depth;
        }
    }
    throw SettingsError(std::string(xmlstore::kInvalidFormat));
}

std::size_t XmlSettingsStore::matchingEnd(std::size_t open) const {
    int depth = 0;
    for (std::size_t i = open; i < m_elements.size(); ++i) {
        if (m_elements[i].kind == Kind::Open) ++depth;
        if (m_elements[i].kind == Kind::End && --depth == 0) return i;
    }
    return m_elements.size();  // not reached: the parse and the writer keep blocks balanced
}

std::ptrdiff_t XmlSettingsStore::findSection(std::string_view section) const {
    for (std::size_t i = 0; i < m_elements.size(); ++i)
        if (m_elements[i].kind == Kind::Open && sameName(m_elements[i].name, section))
            return static_cast<std::ptrdiff_t>(i);
    return -1;
}

std::ptrdiff_t XmlSettingsStore::findKey(std::size_t section, std::size_t end, std::string_view key) const {
    for (std::size_t i = section + 1; i < end; ++i)
        if (m_elements[i].kind != Kind::End && sameName(m_elements[i].name, key))
            return static_cast<std::ptrdiff_t>(i);
    return -1;
}

std::string XmlSettingsStore::ReadSetting(std::string_view section, std::string_view key,
                                          std::string_view defaultValue) const {
    requireOpen();
    const std::ptrdiff_t s = findSection(section);
    if (s < 0) return std::string(defaultValue);
    const std::ptrdiff_t k =
        findKey(static_cast<std::size_t>(s), matchingEnd(static_cast<std::size_t>(s)), key);
    if (k < 0) return std::string(defaultValue);
    return m_elements[static_cast<std::size_t>(k)].value;
}

void XmlSettingsStore::WriteSetting(std::string_view section, std::string_view key, std::string_view value) {
    requireOpen();
    // A line break inside a value would split its line and spoil the file for every later start.
    std::string text(value);
    for (char& c : text)
        if (c == '\r' || c == '\n') c = '?';

    std::ptrdiff_t s = findSection(section);
    if (s < 0) {
        const auto rootEnd = m_elements.end() - 1;
        const std::string indent(xmlstore::kSectionIndent);
        const auto at = m_elements.insert(rootEnd, {{std::string(section), {}, indent, Kind::Open},
                                                    {"/" + std::string(section), {}, indent, Kind::End}});
        s = at - m_elements.begin();
    }
    const std::size_t end = matchingEnd(static_cast<std::size_t>(s));
    const std::ptrdiff_t k = findKey(static_cast<std::size_t>(s), end, key);
    if (k < 0) {
        const std::string indent(xmlstore::kKeyIndent);
        const auto at = m_elements.begin() + static_cast<std::ptrdiff_t>(end);
        if (text.empty())
            m_elements.insert(at, {{std::string(key), {}, indent, Kind::Open},
                                   {"/" + std::string(key), {}, indent, Kind::End}});
        else
            m_elements.insert(at, {std::string(key), text, indent, Kind::Leaf});
    } else {
        const auto i = static_cast<std::size_t>(k);
        Element& element = m_elements[i];
        if (element.kind == Kind::Leaf) {
            element.value = text;
        } else if (m_elements[i + 1].kind == Kind::End) {
            // A key created empty: its end line goes and it becomes a one-line key.
            element.value = text;
            element.kind = Kind::Leaf;
            m_elements.erase(m_elements.begin() + k + 1);
        }
        // A key with children is left as it is.
    }
    m_modified = true;
}

int XmlSettingsStore::ReadSettingInt(std::string_view section, std::string_view key) const {
    const std::string text = ReadSetting(section, key, "-1");
    int value = 0;
    if (!ParseStrictInt(text, value)) throw SettingsError(formatMessage(xmlstore::kNotAnInteger, {text}));
    return value;
}

void XmlSettingsStore::WriteSettingInt(std::string_view section, std::string_view key, int value) {
    WriteSetting(section, key, std::to_string(value));
}

int XmlSettingsStore::ReadSettingIntDefault(std::string_view section, std::string_view key,
                                            int defaultValue) const {
    const std::string text = ReadSetting(section, key, std::to_string(defaultValue));
    int value = 0;
    return ParseStrictInt(text, value) ? value : defaultValue;
}

// An end line is written with the name of the block it closes, whatever its own line held, so the
// written block always reads back the same way (this also writes the root's end as </FORMS>).
std::string XmlSettingsStore::lineOf(const Element& e, std::vector<std::string_view>& openNames) {
    switch (e.kind) {
        case Kind::Leaf:
            return e.indent + "<" + e.name + " value=\"" + e.value + "\"/>";
        case Kind::Open:
            openNames.push_back(e.name);
            return e.indent + "<" + e.name + ">";
        case Kind::End: {
            const std::string line = e.indent + "</" + std::string(openNames.back()) + ">";
            openNames.pop_back();
            return line;
        }
    }
    return {};
}

void XmlSettingsStore::save() {
    std::string content;
    auto add = [&content](std::string_view line) {
        content += line;
        content += xmlstore::kLineEnd;
    };
    for (std::ptrdiff_t i = 0; i < m_rootStart; ++i) add(m_lines[static_cast<std::size_t>(i)]);
    std::vector<std::string_view> openNames;
    for (const Element& e : m_elements) add(lineOf(e, openNames));
    for (std::size_t i = static_cast<std::size_t>(m_rootEnd) + 1; i < m_lines.size(); ++i) add(m_lines[i]);

    const FileWrite written =
        ReplaceFile(m_fileName, [this, &content](QIODevice& out) { return writeContent(out, content); });
    if (written.status == FileWriteStatus::CannotCreate)
        throw SettingsError(formatMessage(kCannotCreateFile, {m_fileName, written.error}), true);
    if (!written.ok())
        throw SettingsError(formatMessage(kCannotWriteFile, {m_fileName, written.error}), true);
}

bool XmlSettingsStore::writeContent(QIODevice& out, std::string_view content) {
    return out.write(content.data(), static_cast<qint64>(content.size())) ==
           static_cast<qint64>(content.size());
}

}  // namespace corvane
