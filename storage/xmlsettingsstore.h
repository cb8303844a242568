#pragma once

#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

class QIODevice;

namespace corvane {

// A failure of the settings store or of the settings file; what() is the text the operator sees.
// A text that names the file is in the local 8-bit encoding of paths, any other in Latin-1.
class SettingsError : public std::runtime_error {
  public:
    explicit SettingsError(const std::string& text, bool namesFile = false)
        : std::runtime_error(text), m_namesFile(namesFile) {}
    bool namesFile() const { return m_namesFile; }

  private:
    bool m_namesFile;
};

namespace xmlstore {
inline constexpr std::string_view kDeclaration = "<?xml version='1.0' encoding='us-ascii' ?>";
inline constexpr std::string_view kComment = "<!-- Quenda XMLStore Data File -->";
inline constexpr std::string_view kRootName = "FORMS";
inline constexpr std::string_view kRootStartMark = "<FORMS>";
inline constexpr std::string_view kRootEndMark = "</FORMS>";
inline constexpr std::string_view kLineEnd = "\r\n";
inline constexpr std::string_view kSectionIndent = "  ";
inline constexpr std::string_view kKeyIndent = "    ";

inline constexpr std::string_view kInvalidFormat = "Invalid XMLStore File Format";
inline constexpr std::string_view kNotAnInteger = "'%s' is not a valid integer value";
}  // namespace xmlstore

// Optional sign and decimal digits within the range of int; nothing else (no blanks, no hex).
bool ParseStrictInt(std::string_view text, int& value);

// Section/key/value text store kept in a line-oriented XML file. The file is read at the first
// BeginAccess and the block between its <FORMS> lines is rewritten at the last EndAccess; lines
// outside that block are kept as read. Values are single-byte text stored as they are.
//
// Section and key names are identifiers: no blanks, dots or slashes. They are compared without
// regard to letter case.
class XmlSettingsStore {
  public:
    explicit XmlSettingsStore(std::string fileName);
    virtual ~XmlSettingsStore();
    XmlSettingsStore(const XmlSettingsStore&) = delete;
    XmlSettingsStore& operator=(const XmlSettingsStore&) = delete;

    const std::string& fileName() const { return m_fileName; }
    // The file read at the next load and written at the next save.
    void setFileName(std::string fileName) { m_fileName = std::move(fileName); }
    int openCount() const { return m_openCount; }
    bool isOpen() const { return m_openCount > 0; }
    bool isModified() const { return m_modified; }

    // Count + 1; from 0 the file is loaded. Throws SettingsError when the root block does not
    // parse, leaving the store closed.
    void BeginAccess();
    // Count - 1; at 0 a modified store saves the file and drops its contents. A failed save throws
    // SettingsError; the store is closed either way and the old file stays as it was.
    void EndAccess();

    // Reads and writes need an open store (std::logic_error otherwise).
    std::string ReadSetting(std::string_view section, std::string_view key,
                            std::string_view defaultValue) const;
    void WriteSetting(std::string_view section, std::string_view key, std::string_view value);
    int ReadSettingInt(std::string_view section, std::string_view key) const;
    void WriteSettingInt(std::string_view section, std::string_view key, int value);
    int ReadSettingIntDefault(std::string_view section, std::string_view key, int defaultValue) const;

  protected:
    // Writes the complete new file content to the temporary file that later replaces the old
    // one. Returning false abandons the save. Tests override it to interrupt a save.
    virtual bool writeContent(QIODevice& out, std::string_view content);

  private:
    enum class Kind {
        Leaf,  // a key: one line, with or without a value
        Open,  // starts a block that its own end element closes
        End    // closes the innermost open block; its name is "/" + the name read
    };
    struct Element {
        std::string name;
        std::string value;  // empty counts as no value
        std::string indent;
        Kind kind = Kind::Leaf;
    };

    void load();
    void save();
    void close();
    void requireOpen() const;
    void locateRoot();
    std::size_t parseChildren(std::size_t line);
    std::size_t matchingEnd(std::size_t open) const;
    std::ptrdiff_t findSection(std::string_view section) const;
    std::ptrdiff_t findKey(std::size_t section, std::size_t end, std::string_view key) const;
    static std::string lineOf(const Element& e, std::vector<std::string_view>& openNames);

    std::string m_fileName;
    int m_openCount = 0;
    bool m_modified = false;
    std::vector<std::string> m_lines;
    std::ptrdiff_t m_rootStart = -1;
    std::ptrdiff_t m_rootEnd = -1;
    std::vector<Element> m_elements;
};

}  // namespace corvane
