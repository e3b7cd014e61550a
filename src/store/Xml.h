#pragma once

// A small DOM over libxml2/libxslt. XmlDocument owns its libxml2 document;
// XmlNode is a non-owning handle that stays valid while its document does
// and the node has not been freed. No libxml2 type appears in this header.

#include <functional>
#include <memory>

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringList>

struct _xmlNode;
struct _xmlDoc;

namespace qb {

class XmlDocument;

// Error value of the XML layer and of the store: a number and a description,
// shown to the user in the program's message texts.
struct Error
{
    int number = 0;
    QString description;
    int line = 0; // where a parse failed, when known
    int column = 0;
    bool isSet() const { return number != 0 || !description.isEmpty(); }
};

class XmlNode
{
public:
    XmlNode() = default;
    explicit XmlNode(_xmlNode* node)
        : m_node(node)
    { }

    bool isNull() const { return m_node == nullptr; }
    explicit operator bool() const { return m_node != nullptr; }
    bool operator==(const XmlNode& other) const { return m_node == other.m_node; }

    bool isElement() const;
    QString name() const;

    // The text content (all descendant text); setText replaces all children by one text node.
    // Texts set here and in attributes keep to XmlCharsOnly.
    QString text() const;
    void setText(const QString& text);

    // Attributes by name: a missing attribute reads as empty text.
    bool hasAttribute(const QString& name) const;
    QString attribute(const QString& name) const;
    // Setting an existing attribute keeps its position; a new one is appended.
    void setAttribute(const QString& name, const QString& value);
    void setAttribute(const QString& name, qint64 value);
    void removeAttribute(const QString& name);

    // Attributes by position, in document order (0-based).
    int attributeCount() const;
    QString attributeName(int index) const;
    QString attributeValue(int index) const; // empty when there is no such attribute
    bool setAttributeValue(int index, const QString& value);

    XmlNode parent() const;
    XmlNode firstChild() const; // first node of any kind
    XmlNode nextSibling() const;
    XmlNode firstChildElement() const;
    XmlNode nextSiblingElement() const;
    XmlNode lastChildElement() const;
    XmlNode previousSiblingElement() const;
    QList<XmlNode> childElements() const;
    // Child elements having one of the attributes with exactly this value, in
    // document order. A plain walk without XPath: fast on large sections.
    QList<XmlNode> childElementsWithAttribute(const QStringList& names, const QString& value) const;
    // Calls visit for every child element with the values of the named
    // attributes (in the order of names; empty when missing) and the
    // element's text, as UTF-8 bytes lent for the call. A walk without
    // copies, for one pass over a large section; at most 64 names.
    using ChildVisitor
        = std::function<void(const QList<QByteArrayView>& values, QByteArrayView text)>;
    void visitChildElements(const QList<QByteArray>& names, const ChildVisitor& visit) const;
    XmlNode childElement(int index) const; // element children only, 0-based

    // Element of the same document, not yet inserted anywhere.
    XmlNode createElement(const QString& name) const;
    XmlNode appendChild(XmlNode child);
    XmlNode insertBefore(XmlNode child, XmlNode reference);
    // Unlinks and frees the child; handles to it become invalid.
    void removeChild(XmlNode child);
    // Deep copy within the same document, not linked.
    XmlNode clone() const;
    // Appends a deep copy of a node of any document as the last child.
    XmlNode appendCopy(const XmlNode& other);

    // XPath 1.0 relative to this node; the document's registered prefixes apply.
    QList<XmlNode> selectNodes(const QString& xpath) const;
    XmlNode selectSingleNode(const QString& xpath) const;
    // Evaluates an XPath expression to its string value.
    QString evaluate(const QString& xpath) const;

    // Markup of this node and its descendants.
    QString xml() const;

    _xmlNode* raw() const { return m_node; }

private:
    _xmlNode* m_node = nullptr;
};

class XmlDocument
{
public:
    XmlDocument();
    ~XmlDocument();
    XmlDocument(XmlDocument&& other) noexcept;
    XmlDocument& operator=(XmlDocument&& other) noexcept;
    XmlDocument(const XmlDocument&) = delete;
    XmlDocument& operator=(const XmlDocument&) = delete;

    // Data files are read one byte per character whatever they declare;
    // DeclaredEncoding reads an ordinary XML file by its own declaration (UTF-8 without one).
    enum ParseOption { Default = 0, DropBlanks = 1, DeclaredEncoding = 2 };
    static constexpr int kMaxDepth = 256;
    static constexpr int kMaxAttributes = 256;

    // Replaces the content with the parsed text. On failure the document is
    // left empty and the error says why. Bytes are read one per character.
    // No file of the program needs a DTD, entities, more than kMaxDepth levels
    // or more than kMaxAttributes attributes on one element: such text is
    // refused before the library spends unbounded time or stack on it.
    bool loadXml(const QByteArray& text, Error* error = nullptr, int options = Default);
    bool loadXml(const QString& text, Error* error = nullptr, int options = Default);
    void clear();
    XmlDocument copy() const;
    // True when loadXml would read the text (bytes one per character), without
    // building the document; otherwise the error says why.
    static bool isWellFormed(QByteArrayView text, Error* error = nullptr);

    bool isNull() const { return !m_doc; }
    XmlNode documentElement() const;
    XmlNode createElement(const QString& name) const;

    // Serialized document, bytes 0-127 only (other characters as references).
    QByteArray toBytes() const;
    // The same bytes in the XML library's own buffer, lent to use (which may
    // change them in place) for the duration of the call, so that saving a
    // large book makes no copy. use is called once, with no bytes when there
    // is no document; the result is use's.
    bool useBytes(const std::function<bool(char* data, qsizetype size)>& use) const;
    QString xml() const;

    // Prefixes registered for XPath on this document, as "SelectionNamespaces" does.
    void registerNamespace(const QString& prefix, const QString& uri);

    QList<XmlNode> selectNodes(const QString& xpath) const;
    XmlNode selectSingleNode(const QString& xpath) const;
    QString evaluate(const QString& xpath) const;

    // XSLT 1.0: applies this document, taken as a style sheet, to source.
    // The style sheet is compiled from a copy, so this document stays as it is.
    bool transformToText(const XmlNode& source, QString* result, Error* error) const;
    bool transformToBytes(const XmlNode& source, QByteArray* result, Error* error) const;
    bool transformToDocument(const XmlNode& source, XmlDocument* result, Error* error) const;

    _xmlDoc* raw() const { return m_doc; }

    struct Namespaces; // prefix bindings, reached from the document's nodes

private:
    _xmlDoc* m_doc = nullptr;
    std::unique_ptr<Namespaces> m_namespaces;
};

// The text with only the characters XML 1.0 allows: tab, line feed,
// carriage return, U+0020-U+D7FF, U+E000-U+FFFD and U+10000-U+10FFFF (whole
// surrogate pairs). Every text the layer stores passes through this, so that
// no caller can put into a document what its file could not hold; the
// other characters are left out.
QString XmlCharsOnly(const QString& text);

// Quotes a text as an XPath string literal (apostrophes, or quotes when the
// text holds an apostrophe).
QString XPathLiteral(const QString& text);

} // namespace qb
