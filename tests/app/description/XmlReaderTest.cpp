#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "description/XmlReader.h"

using ovro::CXmlReader;

namespace {

// Walks a text and lists each node as "kind path value", reading every
// attribute in the order the reader expects; attributes show as "@name=value".
std::vector<std::string> Walk(const std::string& text)
{
    CXmlReader xml = CXmlReader::FromText(text);
    std::vector<std::string> nodes;
    for (int guard = 0; guard < 100; ++guard) {
        const int kind = xml.Read();
        std::string attributes;
        if (kind == 1 || kind == 3 || kind == 5) {
            while (xml.ReadAttribute())
                attributes += " @" + xml.GetAttributeName() + "=" + xml.GetAttributeValue();
            if (xml.GetState() == 0) {
                nodes.push_back("0 attr");
                break;
            }
        }
        nodes.push_back(std::to_string(kind) + " " + xml.GetPath() + " " + xml.GetValue() + attributes);
        if (kind <= 0)
            break;
    }
    return nodes;
}

using Nodes = std::vector<std::string>;

}  // namespace

TEST(XmlReader, EmptyOrDeclarationOnlyEndsWithoutElement)
{
    EXPECT_EQ(Walk(""), Nodes({"-1  "}));
    EXPECT_EQ(Walk("<?xml version=\"1.0\"?>\n<!-- c -->\n"),
              Nodes({"1 xml  @version=1.0", "6 xml c", "-1  "}));
}

TEST(XmlReader, ElementEventsCarryTextAndParentPath)
{
    EXPECT_EQ(Walk("<a/>"), Nodes({"3 xml/a ", "-1  "}));
    EXPECT_EQ(Walk("<a>t<b>u</b>v</a>"),
              Nodes({"3 xml/a t", "3 xml/a/b u", "3 xml/a v", "-1  "}));
    EXPECT_EQ(Walk("<a><b/>w</a>"), Nodes({"3 xml/a ", "3 xml/a/b ", "3 xml/a w", "-1  "}));
    // Trailing white space and a comment after the root are allowed.
    EXPECT_EQ(Walk("<a/>\r\n  <!--x-->\n"), Nodes({"3 xml/a ", "3 xml ", "6 xml x", "-1  "}));
}

TEST(XmlReader, TextIsTrimmedButNotDecoded)
{
    EXPECT_EQ(Walk("<a> \t&lt;&amp; x\n</a>"), Nodes({"3 xml/a &lt;&amp; x", "-1  "}));
    CXmlReader xml = CXmlReader::FromText("<a k=' v '>\xE4</a>");
    ASSERT_EQ(xml.Read(), 3);
    ASSERT_TRUE(xml.ReadAttribute());
    EXPECT_EQ(xml.GetAttributeValue(), " v ");  // attribute values are not trimmed
    EXPECT_FALSE(xml.ReadAttribute());
    EXPECT_EQ(xml.GetValue(), "\xE4");  // Latin-1 bytes pass through
    EXPECT_EQ(xml.GetName(), "a");
}

TEST(XmlReader, AttributeQuotingAndWhiteSpace)
{
    EXPECT_EQ(Walk("<a x=\"1\" y='2>3'\n z = '4'/>"),
              Nodes({"3 xml/a  @x=1 @y=2>3 @z=4", "-1  "}));
    EXPECT_EQ(Walk("<a z ='4'/>"), Nodes({"3 xml/a  @z=4", "-1  "}));
    // White space after '=' is refused unless white space also stands before it.
    EXPECT_EQ(Walk("<a x= '1'/>"), Nodes({"0 attr"}));
    // An attribute without a value is refused.
    EXPECT_EQ(Walk("<a x/>"), Nodes({"0 attr"}));
    // End of file inside an attribute value.
    EXPECT_EQ(Walk("<a x='1"), Nodes({"0 attr"}));
}

TEST(XmlReader, DeclarationAndDocType)
{
    EXPECT_EQ(Walk("<?XML version='1.0'?><a/>"),
              Nodes({"1 XML  @version=1.0", "3 XML/a ", "-1  "}));
    EXPECT_EQ(Walk("<!DOCTYPE a [<!ELEMENT a (b)>]><a/>"), Nodes({"2 xml#a ", "3 xml/a ", "-1  "}));
    // The root must carry the declared name, case-sensitively.
    EXPECT_EQ(Walk("<!DOCTYPE a><A/>").back(), "0 xml#a ");
    // A second declaration or a declaration after the root start is an error.
    EXPECT_EQ(Walk("<?xml?><a/>").back(), "0  ");
    EXPECT_EQ(Walk("<?xml a='1'?><?xml b='2'?><a/>").back(), "0 xml ");
    EXPECT_EQ(Walk("<a><?xml b='2'?></a>").back(), "0 xml/a ");
    EXPECT_EQ(Walk("<!DOCTYPE a><!DOCTYPE a><a/>").back(), "0 xml#a ");
    // End of file inside the document type.
    EXPECT_EQ(Walk("<!DOCTYPE a [ >").back(), "0  ");
}

TEST(XmlReader, EndOfFileAfterMarkupEndsEvenInsideElements)
{
    EXPECT_EQ(Walk("<a><!--c-->"), Nodes({"3 xml/a ", "6 xml/a c", "-1  "}));
    EXPECT_EQ(Walk("<a><?pi x='1'?>"), Nodes({"3 xml/a ", "5 xml/a#pi  @x=1", "-1  "}));
    // ... but end of file inside an element's text is an error.
    EXPECT_EQ(Walk("<a>text"), Nodes({"0 attr"}));
    EXPECT_EQ(Walk("<a><b/>text").back(), "0 xml/a text");
}

TEST(XmlReader, ProcessingInstructionInsideElementKeepsEndTagMatching)
{
    EXPECT_EQ(Walk("<a><?pi ?></a>"), Nodes({"3 xml/a ", "5 xml/a#pi ", "-1  "}));
    EXPECT_EQ(Walk("<a><?pi ?><b/></a>"),
              Nodes({"3 xml/a ", "5 xml/a#pi ", "3 xml/a/b ", "3 xml/a ", "-1  "}));
    // A processing instruction needs white space or '>' after its target.
    EXPECT_EQ(Walk("<a><?pi?></a>").back(), "0 xml/a ");
}

TEST(XmlReader, CDataAndComments)
{
    EXPECT_EQ(Walk("<a>x<![CDATA[<b>]&]]>y</a>"),
              Nodes({"3 xml/a x", "4 xml/a <b>]&", "3 xml/a y", "-1  "}));
    EXPECT_EQ(Walk("<a><![CDATA[x]]]></a>").back(), "0 xml/a ");    // "]]]"
    EXPECT_EQ(Walk("<a><![CDATA[x]]></a>").back(), "-1  ");
    EXPECT_EQ(Walk("<a><![CDATA[x</a>").back(), "0 xml/a ");        // end of file
    EXPECT_EQ(Walk("<![CDATA[x]]><a/>").back(), "0  ");              // outside the root
    EXPECT_EQ(Walk("<a><![CDATX[x]]></a>").back(), "0 xml/a ");
    EXPECT_EQ(Walk("<!-- a - b --><a/>"), Nodes({"6 xml a - b", "3 xml/a ", "-1  "}));
    EXPECT_EQ(Walk("<!-- a -- b --><a/>").back(), "0  ");
    EXPECT_EQ(Walk("<!-- a ---><a/>").back(), "0  ");
    EXPECT_EQ(Walk("<!- a --><a/>").back(), "0  ");
}

TEST(XmlReader, StructuralErrorsAreSticky)
{
    EXPECT_EQ(Walk("<a></A>").back(), "0 xml/a ");
    EXPECT_EQ(Walk("<a/><b/>").back(), "0 xml ");
    EXPECT_EQ(Walk("x<a/>").back(), "0  ");
    EXPECT_EQ(Walk("<a/>x").back(), "0 xml x");
    EXPECT_EQ(Walk("<a/>x<!--c-->").back(), "0 xml x");  // text after the root
    EXPECT_EQ(Walk("</a>").back(), "0  ");
    EXPECT_EQ(Walk("<a></a").back(), "0 xml/a ");         // end of file inside the end tag
    EXPECT_EQ(Walk("<a></a junk>").back(), "0 xml ");
    EXPECT_EQ(Walk("<a><1/></a>").back(), "0 xml/a ");
    EXPECT_EQ(Walk("<a><!FOO x></a>").back(), "0 xml/a ");

    CXmlReader xml = CXmlReader::FromText("<a></A>");
    EXPECT_EQ(xml.Read(), 3);
    EXPECT_FALSE(xml.ReadAttribute());
    EXPECT_EQ(xml.Read(), 0);
    EXPECT_EQ(xml.Read(), 0);
    EXPECT_FALSE(xml.ReadAttribute());
}

TEST(XmlReader, SkippingAttributesIsAnError)
{
    CXmlReader xml = CXmlReader::FromText("<a x='1'><b/></a>");
    EXPECT_EQ(xml.Read(), 3);
    EXPECT_EQ(xml.Read(), 0);
}

TEST(XmlReader, ExtraReadAttributeAfterTagIsHarmless)
{
    CXmlReader xml = CXmlReader::FromText("<a>t<b/></a>");
    EXPECT_EQ(xml.Read(), 3);
    EXPECT_FALSE(xml.ReadAttribute());
    EXPECT_FALSE(xml.ReadAttribute());
    EXPECT_EQ(xml.GetValue(), "t");
    EXPECT_EQ(xml.Read(), 3);
    EXPECT_EQ(xml.GetPath(), "xml/a/b");
}

TEST(XmlReader, FileWithCrLfAndMissingFile)
{
    const std::string path = testing::TempDir() + "xmlreader_crlf.xml";
    {
        std::ofstream out(path, std::ios::binary);
        out << "<a>\r\n<b>x\ry</b>\r\n</a>\r\n";
    }
    CXmlReader xml(path);
    EXPECT_EQ(xml.Read(), 3);
    EXPECT_FALSE(xml.ReadAttribute());
    EXPECT_EQ(xml.Read(), 3);
    EXPECT_FALSE(xml.ReadAttribute());
    EXPECT_EQ(xml.GetValue(), "x\ry");  // a lone CR stays
    EXPECT_EQ(xml.Read(), 3);
    EXPECT_EQ(xml.Read(), -1);
    std::remove(path.c_str());

    CXmlReader missing(path + ".none");
    EXPECT_EQ(missing.Read(), 0);
}
