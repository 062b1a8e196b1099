#include "description/XmlReader.h"

#include "settings/PlainText.h"
#include "settings/WholeFile.h"

namespace ovro {

namespace {

bool IsWhite(int c)
{
    return c == ' ' || c == '\t' || c == '\n';
}

bool IsLetter(int c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool IsNameStart(int c)
{
    return IsLetter(c) || c == '_' || c == ':';
}

bool IsNameChar(int c)
{
    return IsNameStart(c) || (c >= '0' && c <= '9') || c == '.' || c == '-';
}

// The white space of a value: blanks, tabs and line ends.
constexpr const char* kWhite = " \t\n";

}  // namespace

CXmlReader::CXmlReader(const std::string& fileName)
{
    std::string bytes;
    if (!CWholeFile::Read(fileName, bytes)) {
        m_state = XmlError;
        return;
    }
    Load(bytes);
}

CXmlReader CXmlReader::FromText(const std::string& text)
{
    CXmlReader reader;
    reader.Load(text);
    return reader;
}

void CXmlReader::Load(const std::string& bytes)
{
    // A CR LF pair reads as one LF, as from a file opened in text mode.
    m_data.clear();
    m_data.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')
            continue;
        m_data.push_back(bytes[i]);
    }
    m_pos = 0;
}

int CXmlReader::Get()
{
    if (m_pos >= m_data.size()) {
        m_pos = m_data.size() + 1;  // so that Back() returns to the end
        return -1;
    }
    return static_cast<unsigned char>(m_data[m_pos++]);
}

void CXmlReader::Back()
{
    if (m_pos > 0)
        --m_pos;
}

int CXmlReader::GetSignificant()
{
    int c;
    do {
        c = Get();
    } while (IsWhite(c));
    return c;
}

bool CXmlReader::ReadName(std::string& name)
{
    name.clear();
    int c = Get();
    if (!IsNameStart(c)) {
        if (c >= 0)
            Back();
        return false;
    }
    while (IsNameChar(c)) {
        name.push_back(static_cast<char>(c));
        c = Get();
    }
    Back();  // leave the character that ended the name
    return true;
}

std::string CXmlReader::BasePath() const
{
    std::string base = m_path.empty() ? std::string("xml") : m_path;
    const std::size_t hash = base.find('#');
    if (hash != std::string::npos)
        base.erase(hash);
    return base;
}

void CXmlReader::DropLastComponent()
{
    const std::size_t slash = m_path.rfind('/');
    if (slash == std::string::npos)
        m_path.clear();
    else
        m_path.erase(slash);
}

void CXmlReader::ClearAttribute()
{
    m_attributeName.clear();
    m_attributeValue.clear();
}

int CXmlReader::Fail()
{
    m_state = XmlError;
    m_tagOpen = false;
    return XmlError;
}

std::string CXmlReader::GetName() const
{
    std::size_t at = m_path.rfind('/');
    if (at == std::string::npos)
        at = m_path.rfind('#');
    if (at == std::string::npos)
        return m_path;
    return m_path.substr(at + 1);
}

std::string CXmlReader::GetValue() const
{
    return Trim(m_value, kWhite);
}

bool CXmlReader::ReadTextUpToTag()
{
    m_value.clear();
    for (;;) {
        const int c = Get();
        if (c < 0)
            return false;
        if (c == '<') {
            Back();
            return true;
        }
        m_value.push_back(static_cast<char>(c));
    }
}

// Closes an end tag (also after "/>" and a character-data section) and reads
// the text after it. A missing '>' is always an error; m_endOfFile tells
// that the file ended in the text after the tag instead.
bool CXmlReader::FinishEndTag()
{
    m_endOfFile = false;
    if (GetSignificant() != '>')
        return false;
    if (!ReadTextUpToTag()) {
        m_endOfFile = true;
        return false;
    }
    return true;
}

int CXmlReader::AfterEndTag()
{
    if (FinishEndTag()) {
        // Nothing but white space, comments and processing instructions may
        // follow the root element.
        if (m_depth == 0 && !GetValue().empty())
            return Fail();
        ClearAttribute();
        return m_state = XmlElement;
    }
    // End of file after the root's end tag ends the document.
    if (m_endOfFile && m_depth == 0 && GetValue().empty()) {
        m_path.clear();
        m_value.clear();
        ClearAttribute();
        return m_state = XmlEnd;
    }
    return Fail();
}

int CXmlReader::Read()
{
    if (m_state == XmlError)
        return XmlError;
    m_tagOpen = false;

    if (m_lastToken == TokEmptyEnd) {
        m_lastToken = TokEndTag;
        --m_depth;
        DropLastComponent();
        return AfterEndTag();
    }
    if (m_lastToken == TokCData) {
        m_lastToken = TokEndTag;
        if (!FinishEndTag())
            return Fail();
        ClearAttribute();
        return m_state = XmlElement;
    }

    const int c = GetSignificant();
    if (c < 0) {
        m_path.clear();
        m_value.clear();
        ClearAttribute();
        return m_state = XmlEnd;
    }
    if (c != '<') {
        Back();
        m_value.clear();
        ClearAttribute();
        return Fail();
    }
    return ReadToken();
}

int CXmlReader::ReadToken()
{
    std::string name;
    const int c = Get();

    if (c == '!') {
        const int d = Get();
        if (IsNameStart(d)) {
            Back();
            ReadName(name);
            if (!IsWhite(Get()) || !EqualsNoCase(name, "DOCTYPE"))
                return m_lastToken = TokUnknown, Fail();
            m_lastToken = TokDocType;
            if (!m_beforeRoot || m_docTypeSeen)
                return Fail();
            return ReadDocType();
        }
        if (d == '-') {
            if (Get() != '-')
                return m_lastToken = TokUnknown, Fail();
            m_lastToken = TokComment;
            return ReadComment();
        }
        if (d == '[') {
            m_lastToken = TokCData;
            return ReadCData();
        }
        m_lastToken = TokUnknown;
        return Fail();
    }

    if (c == '/' || c == '?') {
        if (!ReadName(name))
            return m_lastToken = TokUnknown, Fail();
        const int t = Get();
        if (t != '>' && !IsWhite(t))
            return m_lastToken = TokUnknown, Fail();
        Back();
        if (c == '/') {
            m_lastToken = TokEndTag;
            // The open element's name, without a processing instruction's
            // "#target" that may have been added to the path inside it.
            std::string open = GetName();
            const std::size_t hash = open.find('#');
            if (hash != std::string::npos)
                open.erase(hash);
            if (m_depth <= 0 || name != open)
                return Fail();
            --m_depth;
            DropLastComponent();
            return AfterEndTag();
        }
        m_value.clear();
        ClearAttribute();
        if (EqualsNoCase(name, "xml")) {
            m_lastToken = TokDeclaration;
            if (!m_beforeRoot || m_declarationSeen)
                return Fail();
            m_declarationSeen = true;
            m_path = name;
            m_tagOpen = true;
            return m_state = XmlDeclaration;
        }
        m_lastToken = TokProcessing;
        m_path = BasePath() + "#" + name;
        m_tagOpen = true;
        return m_state = XmlProcessingInstruction;
    }

    if (IsNameStart(c)) {
        Back();
        ReadName(name);
        const int t = Get();
        if (t != '>' && t != '/' && !IsWhite(t))
            return m_lastToken = TokUnknown, Fail();
        Back();
        m_lastToken = TokStartTag;
        if (!m_beforeRoot && m_depth == 0)
            return Fail();  // a second top-level element
        if (m_beforeRoot) {
            if (m_docTypeSeen && m_docTypeName != name)
                return Fail();
            m_beforeRoot = false;
        }
        ++m_elementCount;
        ++m_depth;
        m_path = BasePath() + "/" + name;
        m_value.clear();
        ClearAttribute();
        m_tagOpen = true;
        return m_state = XmlElement;
    }

    m_lastToken = TokUnknown;
    return Fail();
}

int CXmlReader::ReadDocType()
{
    if (GetSignificant() < 0)
        return Fail();
    Back();
    if (!ReadName(m_docTypeName))
        return Fail();
    const int t = Get();
    if (t != '>' && !IsWhite(t))
        return Fail();
    Back();
    // Skip an internal subset: the declaration ends at the '>' outside brackets.
    int brackets = 0;
    for (;;) {
        const int c = Get();
        if (c < 0)
            return Fail();
        if (c == '[')
            ++brackets;
        else if (c == ']')
            --brackets;
        else if (c == '>' && brackets == 0)
            break;
    }
    m_docTypeSeen = true;
    m_path = BasePath() + "#" + m_docTypeName;
    m_value.clear();
    ClearAttribute();
    return m_state = XmlDocType;
}

int CXmlReader::ReadCData()
{
    if (m_depth == 0)
        return Fail();
    for (const char* p = "CDATA["; *p != '\0'; ++p) {
        if (Get() != static_cast<unsigned char>(*p))
            return Fail();
    }
    std::string content;
    for (;;) {
        const int c = Get();
        if (c < 0)
            return Fail();
        if (c == ']') {
            const int d = Get();
            if (d < 0)
                return Fail();
            if (d == ']') {
                if (Get() != '>')
                    return Fail();
                Back();  // the '>' is consumed by the next Read
                break;
            }
            Back();
        }
        content.push_back(static_cast<char>(c));
    }
    m_value = content;
    return m_state = XmlCData;
}

int CXmlReader::ReadComment()
{
    std::string content;
    for (;;) {
        const int c = Get();
        if (c < 0)
            return Fail();
        if (c == '-') {
            const int d = Get();
            if (d < 0)
                return Fail();
            if (d == '-') {
                if (Get() != '>')
                    return Fail();
                break;
            }
            Back();
        }
        content.push_back(static_cast<char>(c));
    }
    m_value = content;
    if (m_path.empty())
        m_path = "xml";
    return m_state = XmlComment;
}

bool CXmlReader::FinishTag()
{
    if (m_lastToken == TokDeclaration || m_lastToken == TokProcessing) {
        if (GetSignificant() == '?' && Get() == '>')
            return true;
    } else if (m_lastToken == TokStartTag) {
        const int c = GetSignificant();
        if (c == '/') {
            if (GetSignificant() == '>') {
                Back();  // read again when the element is closed
                m_lastToken = TokEmptyEnd;
                return true;
            }
        } else if (c == '>') {
            if (ReadTextUpToTag())
                return true;
        }
    }
    m_lastToken = TokUnknown;
    return false;
}

bool CXmlReader::ReadAttribute()
{
    if (m_state == XmlError || !m_tagOpen)
        return false;
    if (m_lastToken != TokStartTag && m_lastToken != TokDeclaration && m_lastToken != TokProcessing)
        return false;

    const int c = GetSignificant();
    ClearAttribute();
    if (!IsNameStart(c)) {
        if (c >= 0)
            Back();
        m_tagOpen = false;
        if (!FinishTag())
            Fail();
        return false;
    }
    Back();
    ReadName(m_attributeName);

    // name=quote... or name white-space = [white space] quote...: white space
    // after '=' is allowed only when white space also stands before it.
    const int t = Get();
    int quote;
    if (t == '=') {
        quote = Get();
    } else if (IsWhite(t) && GetSignificant() == '=') {
        quote = GetSignificant();
    } else {
        Fail();
        return false;
    }
    if (quote != '"' && quote != '\'') {
        Fail();
        return false;
    }
    for (;;) {
        const int v = Get();
        if (v < 0) {
            Fail();
            return false;
        }
        if (v == quote)
            return true;
        m_attributeValue.push_back(static_cast<char>(v));
    }
}

}  // namespace ovro
