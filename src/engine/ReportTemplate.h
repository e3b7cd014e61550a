#pragma once

// Report templates: loading the enciphered style sheets installed beside the
// program, writing a report's parameters into them, and applying them to the
// data document. No widgets here: the windows and qbtool share this code.

#include <QByteArray>
#include <QString>

#include "store/Xml.h"

namespace qb {

// Namespace name of XSLT 1.0, bound to the prefix "xsl" on template documents.
QString XslNamespace();

// Path of an installed template: ProgramDataFolder() + "/rpt/" + name + ".rpt".
QString ReportTemplatePath(const QString& name);

// Reads the template file and deciphers it with the report key. A missing or
// unreadable file gives empty text and the error; the caller decides what to do.
QByteArray LoadReportTemplate(const QString& name, Error* error = nullptr);
// The same for a template file given by its path.
QByteArray LoadReportTemplateFile(const QString& path, Error* error = nullptr);

// The engine's failures: sets *error, when there is one, and gives false.
bool ReportFailure(Error* error, int number, const QString& description);
// The error number of a template that lacks an element the program sets.
constexpr int kMissingElement = 9;

// Applies templateDocument to source and returns the output text. A failure is
// shown in a message box ("Error n (description) in procedure TransformNode of
// Module modPublicFunctions0") and gives empty text.
QString TransformNode(const XmlNode& source, const XmlDocument& templateDocument);

// One template document of a report window: parsed with whitespace-only text
// dropped and the "xsl" prefix registered, so that positions count elements
// only and queries can say "//xsl:variable".
class ReportTemplate final
{
public:
    ReportTemplate() = default;
    ReportTemplate(ReportTemplate&&) noexcept = default;
    ReportTemplate& operator=(ReportTemplate&&) noexcept = default;

    // Loads the installed template name (LoadReportTemplate), replacing the
    // current content. False with the error when the file cannot be read or
    // its text does not parse; the document is then empty.
    bool load(const QString& name, Error* error = nullptr);
    // The same from a style-sheet text already in hand (tests, tools).
    bool loadText(const QByteArray& text, Error* error = nullptr);

    bool isLoaded() const { return !m_document.isNull(); }
    XmlDocument& document() { return m_document; }
    const XmlDocument& document() const { return m_document; }
    QString name() const { return m_name; }

    // Sets the select attribute of //xsl:variable[@name='name'] to an XPath
    // expression written as text: plain digits, or a literal in apostrophes.
    // False (and the error) when the template has no such variable.
    bool setVariable(const QString& name, const QString& xpathLiteral, Error* error = nullptr);
    // Reads it back; empty when there is no such variable.
    QString variable(const QString& name) const;

    // Sets attribute attrIndex of the root element's child element childIndex
    // (both 0-based, elements only): "the second attribute of the root's second
    // child" is setChildAttribute(1, 1, value). False when either is missing.
    bool setChildAttribute(
        int childIndex, int attrIndex, const QString& value, Error* error = nullptr);

    // Sets attribute attrIndex of the index-th (0-based, document order) element
    // matched by xpath, e.g. the first attribute of the second xsl:apply-templates:
    // setAttributeOfMatch("//xsl:apply-templates", 1, 0, value).
    bool setAttributeOfMatch(const QString& xpath, int index, int attrIndex, const QString& value,
        Error* error = nullptr);

    // Puts the date-display expression in place of the "##DATEFORMAT##"
    // placeholder, found as //xsl:value-of[@select='##DATEFORMAT##'].
    bool setDateFormat(const QString& expression, Error* error = nullptr);
    // The same by position: the first attribute of the index-th (0-based)
    // xsl:value-of element of the template.
    bool setDateFormatAt(int valueOfIndex, const QString& expression, Error* error = nullptr);

    // TransformNode with this template (message box on failure, empty text).
    QString TransformNode(const XmlNode& source) const;
    // Transformation to a result document, for reports whose result is
    // queried again. False with the error; no message box.
    bool transformToDocument(const XmlNode& source, XmlDocument* result, Error* error) const;
    // Transformation to text without a message box.
    bool transformToText(const XmlNode& source, QString* result, Error* error) const;

private:
    XmlDocument m_document;
    QString m_name;
};

} // namespace qb
