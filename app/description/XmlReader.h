// CXmlReader: a small pull parser for the device description file.
//
// The reader hands out one node per Read(); every node is addressed by a
// path of the open element names rooted at "xml" ("xml/Commissioning/Device").
// Text and attribute values are delivered exactly as the bytes stand in the
// file (no entity or character-reference decoding, single-byte characters).
// A CR LF pair in the file reads as one LF, as in a text-mode file.
//
// Calling order: after every Read() that returns XmlDeclaration, XmlElement
// or XmlProcessingInstruction, call ReadAttribute() until it returns false
// before the next Read(); only then is the tag consumed and, for an element,
// its text read into the value.
#pragma once

#include <cstddef>
#include <string>

namespace ovro {

class CXmlReader {
public:
    enum NodeKind {
        XmlEnd = -1,
        XmlError = 0,
        XmlDeclaration = 1,
        XmlDocType = 2,
        XmlElement = 3,
        XmlCData = 4,
        XmlProcessingInstruction = 5,
        XmlComment = 6,
    };

    explicit CXmlReader(const std::string& fileName);
    // Reads from a text held in memory instead of a file (same rules).
    static CXmlReader FromText(const std::string& text);

    int Read();
    bool ReadAttribute();

    std::string GetPath() const { return m_path; }
    std::string GetName() const;
    std::string GetValue() const;
    std::string GetAttributeName() const { return m_attributeName; }
    std::string GetAttributeValue() const { return m_attributeValue; }

    int GetDepth() const { return m_depth; }
    int GetElementCount() const { return m_elementCount; }
    int GetState() const { return m_state; }
    std::string GetDocTypeName() const { return m_docTypeName; }

private:
    enum Token {
        TokUnknown = 0,
        TokDeclaration = 1,
        TokDocType = 2,
        TokStartTag = 3,
        TokEmptyEnd = 4,
        TokEndTag = 5,
        TokCData = 7,
        TokProcessing = 8,
        TokComment = 9,
    };

    CXmlReader() = default;
    void Load(const std::string& bytes);

    int Get();
    void Back();
    int GetSignificant();
    bool ReadName(std::string& name);
    std::string BasePath() const;
    void DropLastComponent();
    void ClearAttribute();
    int Fail();

    bool FinishEndTag();
    int AfterEndTag();
    int ReadToken();
    int ReadDocType();
    int ReadCData();
    int ReadComment();
    bool FinishTag();
    bool ReadTextUpToTag();

    std::string m_data;
    std::size_t m_pos = 0;

    int m_elementCount = 0;
    int m_depth = 0;
    int m_lastToken = TokUnknown;
    int m_state = -1;
    bool m_tagOpen = false;    // attributes of the last tag still to be read
    bool m_endOfFile = false;  // the last end tag failed at the end of the file
    std::string m_docTypeName;
    std::string m_path;
    std::string m_value;
    std::string m_attributeName;
    std::string m_attributeValue;
    bool m_beforeRoot = true;
    bool m_declarationSeen = false;
    bool m_docTypeSeen = false;
};

}  // namespace ovro
