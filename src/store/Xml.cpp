#include "store/Xml.h"

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

// libxml2 2.9's dict.h needs xmlChar from the headers before it.
// clang-format off
#include <libxml/parser.h>
#include <libxml/parserInternals.h>
#include <libxml/tree.h>
#include <libxml/dict.h>
// clang-format on
#include <libxml/xmlerror.h>
#include <libxml/xmlsave.h>
#include <libxml/xpath.h>
#include <libxml/xpathInternals.h>
#include <libxslt/security.h>
#include <libxslt/transform.h>
#include <libxslt/xsltInternals.h>
#include <libxslt/xsltutils.h>

namespace qb {

namespace {

// One deleter for every libxml2/libxslt type the layer owns.
struct XmlDeleter
{
    void operator()(xmlDoc* p) const { xmlFreeDoc(p); }
    void operator()(xmlXPathContext* p) const { xmlXPathFreeContext(p); }
    void operator()(xmlXPathObject* p) const { xmlXPathFreeObject(p); }
    void operator()(xsltStylesheet* p) const { xsltFreeStylesheet(p); }
    void operator()(xmlChar* p) const { xmlFree(p); }
    void operator()(xmlBuffer* p) const { xmlBufferFree(p); }
    void operator()(xsltSecurityPrefs* p) const { xsltFreeSecurityPrefs(p); }
};

using XmlDocPtr = std::unique_ptr<xmlDoc, XmlDeleter>;
using XPathContextPtr = std::unique_ptr<xmlXPathContext, XmlDeleter>;
using XPathObjectPtr = std::unique_ptr<xmlXPathObject, XmlDeleter>;
using StylesheetPtr = std::unique_ptr<xsltStylesheet, XmlDeleter>;
using XmlCharPtr = std::unique_ptr<xmlChar, XmlDeleter>;
using XmlBufferPtr = std::unique_ptr<xmlBuffer, XmlDeleter>;

// libxml2 and libxslt report through global handlers; the layer collects the
// messages of the current call instead of letting them reach stderr.
thread_local QString t_messages;

void collectGeneric(void*, const char* format, ...)
{
    char buffer[1024];
    va_list args;
    va_start(args, format);
    vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    if (t_messages.size() < 4000)
        t_messages += QString::fromUtf8(buffer);
}

void collectStructured(void*, const xmlError* error)
{
    if (error && error->message && t_messages.size() < 4000)
        t_messages += QString::fromUtf8(error->message);
}

struct LibraryInit
{
    LibraryInit()
    {
        xmlInitParser();
        // The library's default, stated here because loadXml promises it.
        xmlParserMaxDepth = XmlDocument::kMaxDepth;
        xsltSetGenericErrorFunc(nullptr, collectGeneric);
        // Templates are data: they may not read or write files or reach the
        // network, so document() fails and the transformation with it.
        xsltSecurityPrefs* prefs = xsltNewSecurityPrefs();
        xsltSetSecurityPrefs(prefs, XSLT_SECPREF_READ_FILE, xsltSecurityForbid);
        xsltSetSecurityPrefs(prefs, XSLT_SECPREF_WRITE_FILE, xsltSecurityForbid);
        xsltSetSecurityPrefs(prefs, XSLT_SECPREF_CREATE_DIRECTORY, xsltSecurityForbid);
        xsltSetSecurityPrefs(prefs, XSLT_SECPREF_WRITE_NETWORK, xsltSecurityForbid);
        xsltSetSecurityPrefs(prefs, XSLT_SECPREF_READ_NETWORK, xsltSecurityForbid);
        xsltSetDefaultSecurityPrefs(prefs);
        m_prefs.reset(prefs);
    }
    std::unique_ptr<xsltSecurityPrefs, XmlDeleter> m_prefs;
};

void ensureInit()
{
    static LibraryInit init;
    // libxml2 keeps its error handlers per thread: each thread that calls
    // the layer (a report laid out on several cores) installs them once.
    thread_local const bool handlers = [] {
        xmlSetGenericErrorFunc(nullptr, collectGeneric);
        xmlSetStructuredErrorFunc(nullptr,
            reinterpret_cast<xmlStructuredErrorFunc>(
                reinterpret_cast<void (*)()>(collectStructured)));
        return true;
    }();
    Q_UNUSED(handlers);
}

Error takeError(int fallbackNumber, const QString& fallbackText)
{
    Error e;
    const xmlError* last = xmlGetLastError();
    e.number = last && last->code ? last->code : fallbackNumber;
    e.line = last ? last->line : 0;
    e.column = last ? last->int2 : 0;
    e.description = t_messages.trimmed();
    if (e.description.isEmpty())
        e.description = fallbackText;
    e.description.replace(QLatin1Char('\n'), QLatin1Char(' '));
    t_messages.clear();
    xmlResetLastError();
    return e;
}

void startCall()
{
    ensureInit();
    t_messages.clear();
    xmlResetLastError();
}

const xmlChar* xc(const QByteArray& bytes)
{
    return reinterpret_cast<const xmlChar*>(bytes.constData());
}

QString fromXml(const xmlChar* text)
{
    return text ? QString::fromUtf8(reinterpret_cast<const char*>(text)) : QString();
}

QString takeXmlString(xmlChar* text)
{
    XmlCharPtr owned(text);
    return fromXml(text);
}

xmlAttr* attributeAt(xmlNode* node, int index)
{
    if (!node || node->type != XML_ELEMENT_NODE || index < 0)
        return nullptr;
    xmlAttr* a = node->properties;
    for (int i = 0; a && i < index; ++i)
        a = a->next;
    return a;
}

} // namespace

// Prefix bindings of one document, reached from any of its nodes through _private.
struct XmlDocument::Namespaces
{
    std::vector<std::pair<QByteArray, QByteArray>> bindings;
};

namespace {

XmlDocument::Namespaces* namespacesOf(xmlDoc* doc)
{
    return doc ? static_cast<XmlDocument::Namespaces*>(doc->_private) : nullptr;
}

XPathObjectPtr evalXPath(xmlNode* context, xmlDoc* doc, const QString& xpath)
{
    startCall();
    if (!doc)
        return nullptr;
    XPathContextPtr ctx(xmlXPathNewContext(doc));
    if (!ctx)
        return nullptr;
    ctx->node = context ? context : reinterpret_cast<xmlNode*>(doc);
    if (auto* ns = namespacesOf(doc)) {
        for (const auto& [prefix, uri] : ns->bindings)
            xmlXPathRegisterNs(ctx.get(), xc(prefix), xc(uri));
    }
    const QByteArray expr = xpath.toUtf8();
    return XPathObjectPtr(xmlXPathEvalExpression(xc(expr), ctx.get()));
}

QList<XmlNode> nodesOf(const XPathObjectPtr& result)
{
    QList<XmlNode> nodes;
    if (result && result->type == XPATH_NODESET && result->nodesetval) {
        const int n = result->nodesetval->nodeNr;
        nodes.reserve(n);
        for (int i = 0; i < n; ++i)
            nodes.append(XmlNode(result->nodesetval->nodeTab[i]));
    }
    return nodes;
}

XmlNode firstOf(const XPathObjectPtr& result)
{
    if (result && result->type == XPATH_NODESET && result->nodesetval
        && result->nodesetval->nodeNr > 0)
        return XmlNode(result->nodesetval->nodeTab[0]);
    return {};
}

QString stringOf(XPathObjectPtr result)
{
    if (!result)
        return {};
    return takeXmlString(xmlXPathCastToString(result.get()));
}

} // namespace

// ---- XmlNode ----------------------------------------------------------------

bool XmlNode::isElement() const
{
    return m_node && m_node->type == XML_ELEMENT_NODE;
}

QString XmlNode::name() const
{
    return m_node ? fromXml(m_node->name) : QString();
}

QString XmlNode::text() const
{
    return m_node ? takeXmlString(xmlNodeGetContent(m_node)) : QString();
}

void XmlNode::setText(const QString& text)
{
    if (!m_node)
        return;
    // Remove the children, then add one text node; the text is stored raw
    // and escaped when serialized.
    xmlNode* child = m_node->children;
    while (child) {
        xmlNode* next = child->next;
        xmlUnlinkNode(child);
        xmlFreeNode(child);
        child = next;
    }
    if (!text.isEmpty()) {
        const QByteArray bytes = XmlCharsOnly(text).toUtf8();
        xmlAddChild(m_node, xmlNewDocTextLen(m_node->doc, xc(bytes), int(bytes.size())));
    }
}

bool XmlNode::hasAttribute(const QString& name) const
{
    return isElement() && xmlHasProp(m_node, xc(name.toUtf8())) != nullptr;
}

QString XmlNode::attribute(const QString& name) const
{
    if (!isElement())
        return {};
    return takeXmlString(xmlGetProp(m_node, xc(name.toUtf8())));
}

void XmlNode::setAttribute(const QString& name, const QString& value)
{
    if (isElement())
        xmlSetProp(m_node, xc(name.toUtf8()), xc(XmlCharsOnly(value).toUtf8()));
}

void XmlNode::setAttribute(const QString& name, qint64 value)
{
    setAttribute(name, QString::number(value));
}

void XmlNode::removeAttribute(const QString& name)
{
    if (isElement())
        xmlUnsetProp(m_node, xc(name.toUtf8()));
}

int XmlNode::attributeCount() const
{
    int n = 0;
    if (isElement()) {
        for (xmlAttr* a = m_node->properties; a; a = a->next)
            ++n;
    }
    return n;
}

QString XmlNode::attributeName(int index) const
{
    xmlAttr* a = attributeAt(m_node, index);
    return a ? fromXml(a->name) : QString();
}

QString XmlNode::attributeValue(int index) const
{
    xmlAttr* a = attributeAt(m_node, index);
    return a ? takeXmlString(xmlNodeGetContent(reinterpret_cast<xmlNode*>(a))) : QString();
}

bool XmlNode::setAttributeValue(int index, const QString& value)
{
    xmlAttr* a = attributeAt(m_node, index);
    if (!a)
        return false;
    xmlSetProp(m_node, a->name, xc(XmlCharsOnly(value).toUtf8()));
    return true;
}

XmlNode XmlNode::parent() const
{
    if (!m_node || !m_node->parent || m_node->parent->type == XML_DOCUMENT_NODE)
        return {};
    return XmlNode(m_node->parent);
}

XmlNode XmlNode::firstChild() const
{
    return m_node ? XmlNode(m_node->children) : XmlNode();
}

XmlNode XmlNode::nextSibling() const
{
    return m_node ? XmlNode(m_node->next) : XmlNode();
}

XmlNode XmlNode::firstChildElement() const
{
    return m_node ? XmlNode(xmlFirstElementChild(m_node)) : XmlNode();
}

XmlNode XmlNode::nextSiblingElement() const
{
    return m_node ? XmlNode(xmlNextElementSibling(m_node)) : XmlNode();
}

XmlNode XmlNode::lastChildElement() const
{
    return m_node ? XmlNode(xmlLastElementChild(m_node)) : XmlNode();
}

XmlNode XmlNode::previousSiblingElement() const
{
    return m_node ? XmlNode(xmlPreviousElementSibling(m_node)) : XmlNode();
}

QList<XmlNode> XmlNode::childElements() const
{
    QList<XmlNode> list;
    for (XmlNode c = firstChildElement(); c; c = c.nextSiblingElement())
        list.append(c);
    return list;
}

void XmlNode::visitChildElements(const QList<QByteArray>& names, const ChildVisitor& visit) const
{
    if (!m_node || names.size() > 64)
        return;
    // Single text children (the usual form) are lent as they are; anything
    // else is read into a buffer that lives until the next element.
    QList<QByteArrayView> values(names.size());
    std::vector<XmlCharPtr> held;
    auto contentOf = [&held](xmlNode* n) -> QByteArrayView {
        const xmlNode* t = n->children;
        if (!t)
            return {};
        if (t->type == XML_TEXT_NODE && !t->next)
            return QByteArrayView(reinterpret_cast<const char*>(t->content));
        held.emplace_back(xmlNodeGetContent(n));
        return QByteArrayView(reinterpret_cast<const char*>(held.back().get()));
    };
    // Names of a parsed document live in its dictionary and compare by
    // address; a name from elsewhere still compares by its text.
    xmlDict* dict = m_node->doc ? m_node->doc->dict : nullptr;
    std::vector<const xmlChar*> interned(std::size_t(names.size()), nullptr);
    for (qsizetype i = 0; i < names.size(); ++i) {
        if (dict)
            interned[std::size_t(i)] = xmlDictExists(dict, xc(names[i]), -1);
    }
    const auto isName = [&](const xmlChar* name, qsizetype i) {
        const QByteArray& wanted = names[i];
        return name == interned[std::size_t(i)]
            || (!wanted.isEmpty() && name[0] == xmlChar(wanted[0])
                && xmlStrEqual(name, xc(wanted)));
    };
    for (xmlNode* c = m_node->children; c; c = c->next) {
        if (c->type != XML_ELEMENT_NODE)
            continue;
        held.clear();
        std::fill(values.begin(), values.end(), QByteArrayView());
        quint64 found = 0; // bit i: names[i] has its value
        for (xmlAttr* a = c->properties; a; a = a->next) {
            for (qsizetype i = 0; i < names.size(); ++i) {
                if (!(found >> i & 1) && isName(a->name, i)) {
                    found |= quint64(1) << i; // the first of a name counts
                    values[i] = contentOf(reinterpret_cast<xmlNode*>(a));
                    break;
                }
            }
        }
        visit(values, contentOf(c));
    }
}

QList<XmlNode> XmlNode::childElementsWithAttribute(
    const QStringList& names, const QString& value) const
{
    QList<XmlNode> list;
    if (!m_node)
        return list;
    // Names of a parsed document live in its dictionary: they compare by
    // address, which keeps the walk over a large section cheap.
    std::vector<QByteArray> wanted;
    std::vector<const xmlChar*> interned;
    xmlDict* dict = m_node->doc ? m_node->doc->dict : nullptr;
    for (const QString& n : names) {
        wanted.push_back(n.toUtf8());
        if (dict)
            interned.push_back(xmlDictExists(dict, xc(wanted.back()), -1));
    }
    auto isWanted = [&](const xmlChar* name) {
        for (std::size_t i = 0; i < wanted.size(); ++i) {
            if ((dict && interned[i] == name)
                || (!wanted[i].isEmpty() && name[0] == xmlChar(wanted[i][0])
                    && xmlStrEqual(name, xc(wanted[i]))))
                return true;
        }
        return false;
    };
    const QByteArray v = value.toUtf8();
    for (xmlNode* c = m_node->children; c; c = c->next) {
        if (c->type != XML_ELEMENT_NODE)
            continue;
        // An element holds a name once: after the last wanted name the rest
        // of its attributes (and the memory they take to reach) are skipped.
        std::size_t looked = 0;
        for (xmlAttr* a = c->properties; a && looked < wanted.size(); a = a->next) {
            if (!isWanted(a->name))
                continue;
            ++looked;
            bool equal;
            const xmlNode* t = a->children;
            if (t && t->type == XML_TEXT_NODE && !t->next) {
                equal = xmlStrEqual(t->content, xc(v));
            } else {
                XmlCharPtr content(xmlNodeGetContent(reinterpret_cast<xmlNode*>(a)));
                equal = xmlStrEqual(content.get(), xc(v));
            }
            if (equal) {
                list.append(XmlNode(c));
                break;
            }
        }
    }
    return list;
}

XmlNode XmlNode::childElement(int index) const
{
    XmlNode c = firstChildElement();
    for (int i = 0; c && i < index; ++i)
        c = c.nextSiblingElement();
    return index < 0 ? XmlNode() : c;
}

XmlNode XmlNode::createElement(const QString& name) const
{
    if (!m_node)
        return {};
    return XmlNode(xmlNewDocNode(m_node->doc, nullptr, xc(name.toUtf8()), nullptr));
}

XmlNode XmlNode::appendChild(XmlNode child)
{
    if (!m_node || !child)
        return {};
    xmlUnlinkNode(child.m_node);
    return XmlNode(xmlAddChild(m_node, child.m_node));
}

XmlNode XmlNode::insertBefore(XmlNode child, XmlNode reference)
{
    if (!reference || reference.parent() != *this)
        return appendChild(child);
    if (!child)
        return {};
    xmlUnlinkNode(child.m_node);
    return XmlNode(xmlAddPrevSibling(reference.m_node, child.m_node));
}

void XmlNode::removeChild(XmlNode child)
{
    if (!m_node || !child || child.m_node->parent != m_node)
        return;
    xmlUnlinkNode(child.m_node);
    xmlFreeNode(child.m_node);
}

XmlNode XmlNode::clone() const
{
    return m_node ? XmlNode(xmlDocCopyNode(m_node, m_node->doc, 1)) : XmlNode();
}

XmlNode XmlNode::appendCopy(const XmlNode& other)
{
    if (!m_node || !other)
        return {};
    return XmlNode(xmlAddChild(m_node, xmlDocCopyNode(other.m_node, m_node->doc, 1)));
}

QList<XmlNode> XmlNode::selectNodes(const QString& xpath) const
{
    if (!m_node)
        return {};
    return nodesOf(evalXPath(m_node, m_node->doc, xpath));
}

XmlNode XmlNode::selectSingleNode(const QString& xpath) const
{
    if (!m_node)
        return {};
    return firstOf(evalXPath(m_node, m_node->doc, xpath));
}

QString XmlNode::evaluate(const QString& xpath) const
{
    if (!m_node)
        return {};
    return stringOf(evalXPath(m_node, m_node->doc, xpath));
}

QString XmlNode::xml() const
{
    if (!m_node)
        return {};
    XmlBufferPtr buffer(xmlBufferCreate());
    xmlNodeDump(buffer.get(), m_node->doc, m_node, 0, 0);
    return fromXml(xmlBufferContent(buffer.get()));
}

// ---- XmlDocument --------------------------------------------------------------

XmlDocument::XmlDocument()
    : m_namespaces(std::make_unique<Namespaces>())
{
    ensureInit();
}

XmlDocument::~XmlDocument()
{
    clear();
}

XmlDocument::XmlDocument(XmlDocument&& other) noexcept
    : m_doc(std::exchange(other.m_doc, nullptr))
    , m_namespaces(std::exchange(other.m_namespaces, std::make_unique<Namespaces>()))
{
    if (m_doc)
        m_doc->_private = m_namespaces.get();
}

XmlDocument& XmlDocument::operator=(XmlDocument&& other) noexcept
{
    if (this != &other) {
        clear();
        m_doc = std::exchange(other.m_doc, nullptr);
        std::swap(m_namespaces, other.m_namespaces);
        if (m_doc)
            m_doc->_private = m_namespaces.get();
        if (other.m_doc)
            other.m_doc->_private = other.m_namespaces.get();
    }
    return *this;
}

void XmlDocument::clear()
{
    if (m_doc) {
        xmlFreeDoc(m_doc);
        m_doc = nullptr;
    }
}

namespace {

// One linear pass over the text before the parser sees it. The parser's own
// guards (nesting depth, entity expansion) stay on, but it compares every
// attribute of an element with every other, so an element with a hundred
// thousand attributes would take minutes; and a DTD is refused outright, so
// no entity is ever declared, expanded or loaded.
QString refusedMarkup(QByteArrayView text)
{
    const char* p = text.constData();
    const char* const end = p + text.size();
    auto startsWith = [&](const char* at, const char* literal) {
        const size_t n = std::strlen(literal);
        return size_t(end - at) >= n && std::memcmp(at, literal, n) == 0;
    };
    auto skipPast = [&](const char* from, const char* literal) {
        const QByteArrayView rest(from, end - from);
        const qsizetype at = rest.indexOf(QByteArrayView(literal));
        return at < 0 ? end : from + at + qsizetype(std::strlen(literal));
    };
    while (p < end) {
        p = static_cast<const char*>(std::memchr(p, '<', size_t(end - p)));
        if (!p)
            break;
        if (startsWith(p, "<!--")) {
            p = skipPast(p + 4, "-->");
        } else if (startsWith(p, "<![CDATA[")) {
            p = skipPast(p + 9, "]]>");
        } else if (startsWith(p, "<?")) {
            p = skipPast(p + 2, "?>");
        } else if (startsWith(p, "<!")) {
            return QStringLiteral(
                "The text declares a document type (DTD); no Quillbrook file has one");
        } else {
            // A tag: count the attributes (their equals signs outside quotes) up to its end.
            int attributes = 0;
            char quote = 0;
            for (++p; p < end; ++p) {
                const char c = *p;
                if (quote) {
                    if (c == quote)
                        quote = 0;
                } else if (c == '"' || c == '\'') {
                    quote = c;
                } else if (c == '=') {
                    if (++attributes > XmlDocument::kMaxAttributes)
                        return QStringLiteral("An element has more than %1 attributes; no "
                                              "Quillbrook file has so many")
                            .arg(XmlDocument::kMaxAttributes);
                } else if (c == '>') {
                    ++p;
                    break;
                }
            }
        }
    }
    return {};
}

} // namespace

bool XmlDocument::loadXml(const QByteArray& text, Error* error, int options)
{
    startCall();
    clear();
    if (const QString refused = refusedMarkup(text); !refused.isEmpty()) {
        if (error) {
            error->number = XML_ERR_USER_STOP;
            error->description = refused;
            error->line = error->column = 0;
        }
        return false;
    }
    // No XML_PARSE_HUGE: it would lift the limits on nesting depth (kMaxDepth)
    // and entity expansion that keep a hostile file from exhausting the stack
    // or the memory. No book comes near the sizes the limits are about.
    int flags = XML_PARSE_NONET;
    if (options & DropBlanks)
        flags |= XML_PARSE_NOBLANKS;
    // One byte is one character: the data file is read as Latin-1 whatever it declares.
    xmlDoc* doc = text.isEmpty() ? nullptr
                                 : xmlReadMemory(text.constData(), int(text.size()), nullptr,
                                     (options & DeclaredEncoding) ? nullptr : "ISO-8859-1", flags);
    if (!doc || !xmlDocGetRootElement(doc)) {
        if (doc)
            xmlFreeDoc(doc);
        Error e = takeError(1,
            text.isEmpty() ? QStringLiteral("The document is empty")
                           : QStringLiteral("The text is not well-formed XML"));
        if (error)
            *error = e;
        return false;
    }
    m_doc = doc;
    m_doc->_private = m_namespaces.get();
    return true;
}

bool XmlDocument::loadXml(const QString& text, Error* error, int options)
{
    // Characters above 255 cannot stand in a one-byte document; they become references.
    // A pair of surrogates is one character and one reference.
    QByteArray bytes;
    bytes.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t u = text.at(i).unicode();
        if (u < 256) {
            bytes.append(char(u));
        } else if (QChar::isHighSurrogate(u) && i + 1 < text.size()
            && text.at(i + 1).isLowSurrogate()) {
            bytes.append("&#"
                + QByteArray::number(QChar::surrogateToUcs4(u, text.at(i + 1).unicode())) + ';');
            ++i;
        } else {
            bytes.append("&#" + QByteArray::number(u) + ';');
        }
    }
    return loadXml(bytes, error, options);
}

bool XmlDocument::isWellFormed(QByteArrayView text, Error* error)
{
    startCall();
    QString refused = refusedMarkup(text);
    bool ok = refused.isEmpty() && !text.isEmpty() && text.size() <= INT_MAX;
    if (ok) {
        // Read as loadXml reads, with no callbacks: the library checks every
        // rule of the markup but builds no tree, so that the check costs a
        // fraction of an open.
        xmlParserCtxt* ctxt = xmlCreateMemoryParserCtxt(text.data(), int(text.size()));
        ok = ctxt != nullptr;
        if (ok) {
            std::memset(ctxt->sax, 0, sizeof(xmlSAXHandler));
            ctxt->sax->initialized = XML_SAX2_MAGIC;
            // Seven-bit text (every book the program writes) reads the same
            // in every encoding the declaration may name: no conversion.
            const bool ascii
                = std::all_of(text.begin(), text.end(), [](char c) { return uchar(c) < 0x80; });
            xmlCtxtUseOptions(ctxt, XML_PARSE_NONET | (ascii ? XML_PARSE_IGNORE_ENC : 0));
            xmlCharEncodingHandler* latin1
                = ascii ? nullptr : xmlFindCharEncodingHandler("ISO-8859-1");
            if (latin1)
                xmlSwitchToEncoding(ctxt, latin1);
            ok = xmlParseDocument(ctxt) == 0 && ctxt->wellFormed;
            xmlFreeParserCtxt(ctxt);
        }
    }
    if (ok) {
        t_messages.clear();
        return true;
    }
    Error e = takeError(1, QStringLiteral("The text is not well-formed XML"));
    if (!refused.isEmpty())
        e = {XML_ERR_USER_STOP, refused, 0, 0};
    if (error)
        *error = e;
    return false;
}

XmlDocument XmlDocument::copy() const
{
    XmlDocument other;
    if (m_doc) {
        other.m_doc = xmlCopyDoc(m_doc, 1);
        other.m_namespaces->bindings = m_namespaces->bindings;
        if (other.m_doc)
            other.m_doc->_private = other.m_namespaces.get();
    }
    return other;
}

XmlNode XmlDocument::documentElement() const
{
    return m_doc ? XmlNode(xmlDocGetRootElement(m_doc)) : XmlNode();
}

XmlNode XmlDocument::createElement(const QString& name) const
{
    if (!m_doc)
        return {};
    return XmlNode(xmlNewDocNode(m_doc, nullptr, xc(name.toUtf8()), nullptr));
}

namespace {

// UTF-8 needs no conversion, and a document of seven-bit text is the same
// bytes in UTF-8 and in ASCII; only a document that holds other characters
// goes through the (much slower) ASCII encoder, which writes them as
// character references.
XmlCharPtr serialize(xmlDoc* doc, int* size)
{
    *size = 0;
    if (!doc)
        return nullptr;
    xmlChar* mem = nullptr;
    xmlDocDumpMemoryEnc(doc, &mem, size, "UTF-8");
    XmlCharPtr owned(mem);
    if (!mem)
        return nullptr;
    const auto* bytes = reinterpret_cast<const unsigned char*>(mem);
    if (std::all_of(bytes, bytes + *size, [](unsigned char c) { return c < 0x80; }))
        return owned;
    owned.reset();
    mem = nullptr;
    xmlDocDumpMemoryEnc(doc, &mem, size, "ASCII");
    return XmlCharPtr(mem);
}

} // namespace

QByteArray XmlDocument::toBytes() const
{
    int size = 0;
    const XmlCharPtr mem = serialize(m_doc, &size);
    return mem ? QByteArray(reinterpret_cast<const char*>(mem.get()), size) : QByteArray();
}

bool XmlDocument::useBytes(const std::function<bool(char* data, qsizetype size)>& use) const
{
    int size = 0;
    const XmlCharPtr mem = serialize(m_doc, &size);
    if (!mem)
        return use(nullptr, 0);
    return use(reinterpret_cast<char*>(mem.get()), size);
}

QString XmlDocument::xml() const
{
    return QString::fromLatin1(toBytes());
}

void XmlDocument::registerNamespace(const QString& prefix, const QString& uri)
{
    const QByteArray p = prefix.toUtf8();
    for (auto& [existing, value] : m_namespaces->bindings) {
        if (existing == p) {
            value = uri.toUtf8();
            return;
        }
    }
    m_namespaces->bindings.emplace_back(p, uri.toUtf8());
}

QList<XmlNode> XmlDocument::selectNodes(const QString& xpath) const
{
    return nodesOf(evalXPath(nullptr, m_doc, xpath));
}

XmlNode XmlDocument::selectSingleNode(const QString& xpath) const
{
    return firstOf(evalXPath(nullptr, m_doc, xpath));
}

QString XmlDocument::evaluate(const QString& xpath) const
{
    return stringOf(evalXPath(nullptr, m_doc, xpath));
}

namespace {

// Runs the style sheet over the source; the caller owns the result document.
XmlDocPtr applyStylesheet(
    xmlDoc* styleDoc, const XmlNode& source, StylesheetPtr* compiled, Error* error)
{
    startCall();
    auto fail = [&](const QString& text) {
        Error e = takeError(1, text);
        if (error)
            *error = e;
        return XmlDocPtr();
    };
    if (!styleDoc)
        return fail(QStringLiteral("The template document is empty"));
    if (source.isNull())
        return fail(QStringLiteral("There is no document to transform"));
    // xsltParseStylesheetDoc takes ownership of what it compiles: give it a copy.
    xmlDoc* styleCopy = xmlCopyDoc(styleDoc, 1);
    compiled->reset(xsltParseStylesheetDoc(styleCopy));
    if (!*compiled) {
        xmlFreeDoc(styleCopy);
        return fail(QStringLiteral("The template is not a valid style sheet"));
    }
    // A style sheet with errors compiles to something; it is refused all the
    // same, even when the broken part would never run.
    if ((*compiled)->errors > 0)
        return fail(QStringLiteral("The template is not a valid style sheet"));
    xmlNode* node = source.raw();
    XmlDocPtr temporary;
    xmlDoc* input = node->doc;
    if (node->type != XML_DOCUMENT_NODE && node != xmlDocGetRootElement(node->doc)) {
        // A transformation of one element sees that element as its document's root.
        temporary.reset(xmlNewDoc(reinterpret_cast<const xmlChar*>("1.0")));
        xmlDocSetRootElement(temporary.get(), xmlDocCopyNode(node, temporary.get(), 1));
        input = temporary.get();
    }
    xsltTransformContextPtr ctxt = xsltNewTransformContext(compiled->get(), input);
    if (!ctxt)
        return fail(QStringLiteral("The transformation could not start"));
    XmlDocPtr result(
        xsltApplyStylesheetUser(compiled->get(), input, nullptr, nullptr, nullptr, ctxt));
    const bool stopped = ctxt->state == XSLT_STATE_ERROR || ctxt->state == XSLT_STATE_STOPPED;
    xsltFreeTransformContext(ctxt);
    if (!result || stopped)
        return fail(QStringLiteral("The transformation failed"));
    t_messages.clear();
    return result;
}

} // namespace

bool XmlDocument::transformToBytes(const XmlNode& source, QByteArray* result, Error* error) const
{
    StylesheetPtr style;
    XmlDocPtr out = applyStylesheet(m_doc, source, &style, error);
    if (!out)
        return false;
    xmlChar* mem = nullptr;
    int size = 0;
    if (xsltSaveResultToString(&mem, &size, out.get(), style.get()) != 0) {
        if (error)
            *error = takeError(1, QStringLiteral("The result could not be written"));
        return false;
    }
    XmlCharPtr owned(mem);
    *result = mem ? QByteArray(reinterpret_cast<const char*>(mem), size) : QByteArray();
    return true;
}

bool XmlDocument::transformToText(const XmlNode& source, QString* result, Error* error) const
{
    QByteArray bytes;
    if (!transformToBytes(source, &bytes, error))
        return false;
    *result = QString::fromUtf8(bytes);
    return true;
}

bool XmlDocument::transformToDocument(
    const XmlNode& source, XmlDocument* result, Error* error) const
{
    StylesheetPtr style;
    XmlDocPtr out = applyStylesheet(m_doc, source, &style, error);
    if (!out)
        return false;
    result->clear();
    result->m_doc = out.release();
    result->m_doc->_private = result->m_namespaces.get();
    return true;
}

namespace {

bool isXmlChar(char32_t c)
{
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF)
        || (c >= 0xE000 && c <= 0xFFFD) || (c >= 0x10000 && c <= 0x10FFFF);
}

} // namespace

QString XmlCharsOnly(const QString& text)
{
    // Nearly every text is fine as it is: it is returned without a copy.
    qsizetype i = 0;
    for (; i < text.size(); ++i) {
        const char16_t u = text.at(i).unicode();
        if (u < 0x20 || u >= 0xD800) {
            if (QChar::isHighSurrogate(u) && i + 1 < text.size()
                && text.at(i + 1).isLowSurrogate()) {
                ++i;
                continue;
            }
            if (!isXmlChar(u))
                break;
        }
    }
    if (i == text.size())
        return text;
    QString out = text.left(i);
    for (; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            out.append(c).append(text.at(++i));
        } else if (!c.isSurrogate() && isXmlChar(c.unicode())) {
            out.append(c);
        }
    }
    return out;
}

QString XPathLiteral(const QString& text)
{
    if (!text.contains(QLatin1Char('\'')))
        return QLatin1Char('\'') + text + QLatin1Char('\'');
    if (!text.contains(QLatin1Char('"')))
        return QLatin1Char('"') + text + QLatin1Char('"');
    // Both quote kinds: concat the pieces.
    QStringList parts = text.split(QLatin1Char('\''));
    QString expr = QStringLiteral("concat(");
    for (int i = 0; i < parts.size(); ++i) {
        if (i > 0)
            expr += QStringLiteral(", \"'\", ");
        expr += QLatin1Char('\'') + parts[i] + QLatin1Char('\'');
    }
    return expr + QLatin1Char(')');
}

} // namespace qb
