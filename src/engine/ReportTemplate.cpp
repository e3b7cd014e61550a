#include "engine/ReportTemplate.h"

#include <QFile>

#include "store/ClsAX.h"
#include "store/UiServices.h"
#include "store/Utilities.h"

namespace qb {

bool ReportFailure(Error* error, int number, const QString& description)
{
    if (error) {
        error->number = number;
        error->description = description;
    }
    return false;
}

QString XslNamespace()
{
    return QStringLiteral("http://www.w3.org/1999/XSL/Transform");
}

QString ReportTemplatePath(const QString& name)
{
    return ProgramDataFolder() + QStringLiteral("/rpt/") + name + QStringLiteral(".rpt");
}

QByteArray LoadReportTemplate(const QString& name, Error* error)
{
    return LoadReportTemplateFile(ReportTemplatePath(name), error);
}

QByteArray LoadReportTemplateFile(const QString& path, Error* error)
{
    QFile file(path);
    if (!file.exists()) {
        ReportFailure(error, 53, QStringLiteral("File not found: ") + path);
        return {};
    }
    if (!file.open(QIODevice::ReadOnly)) {
        ReportFailure(error, 75,
            QStringLiteral("Path/File access error: ") + path + QStringLiteral(" (")
                + file.errorString() + QLatin1Char(')'));
        return {};
    }
    QByteArray text = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        ReportFailure(error, 57,
            QStringLiteral("Device I/O error: ") + path + QStringLiteral(" (") + file.errorString()
                + QLatin1Char(')'));
        return {};
    }
    ClsAX::EnDeCryptBytes(text, ReportKey());
    return text;
}

QString TransformNode(const XmlNode& source, const XmlDocument& templateDocument)
{
    QString result;
    Error error;
    if (!templateDocument.transformToText(source, &result, &error)) {
        MsgBox(QStringLiteral("Error ") + QString::number(error.number) + QStringLiteral(" (")
            + error.description
            + QStringLiteral(") in procedure TransformNode of Module modPublicFunctions0"));
        return {};
    }
    return result;
}

bool ReportTemplate::load(const QString& name, Error* error)
{
    m_name = name;
    Error readError;
    const QByteArray text = LoadReportTemplate(name, &readError);
    if (readError.isSet()) {
        m_document.clear();
        if (error)
            *error = readError;
        return false;
    }
    return loadText(text, error);
}

bool ReportTemplate::loadText(const QByteArray& text, Error* error)
{
    if (!m_document.loadXml(text, error, XmlDocument::DropBlanks))
        return false;
    m_document.registerNamespace(QStringLiteral("xsl"), XslNamespace());
    return true;
}

bool ReportTemplate::setVariable(const QString& name, const QString& xpathLiteral, Error* error)
{
    XmlNode variable = m_document.selectSingleNode(
        QStringLiteral("//xsl:variable[@name=") + XPathLiteral(name) + QLatin1Char(']'));
    if (variable.isNull())
        return ReportFailure(
            error, kMissingElement, QStringLiteral("The template has no variable ") + name);
    variable.setAttribute(QStringLiteral("select"), xpathLiteral);
    return true;
}

QString ReportTemplate::variable(const QString& name) const
{
    return m_document
        .selectSingleNode(
            QStringLiteral("//xsl:variable[@name=") + XPathLiteral(name) + QLatin1Char(']'))
        .attribute(QStringLiteral("select"));
}

bool ReportTemplate::setChildAttribute(
    int childIndex, int attrIndex, const QString& value, Error* error)
{
    XmlNode child = m_document.documentElement().childElement(childIndex);
    if (child.isNull())
        return ReportFailure(error, kMissingElement,
            QStringLiteral("The template's root has no child element ")
                + QString::number(childIndex + 1));
    if (!child.setAttributeValue(attrIndex, value))
        return ReportFailure(error, kMissingElement,
            QStringLiteral("The template's element ") + child.name()
                + QStringLiteral(" has no attribute ") + QString::number(attrIndex + 1));
    return true;
}

bool ReportTemplate::setAttributeOfMatch(
    const QString& xpath, int index, int attrIndex, const QString& value, Error* error)
{
    const QList<XmlNode> matches = m_document.selectNodes(xpath);
    if (index < 0 || index >= matches.size())
        return ReportFailure(error, kMissingElement,
            QStringLiteral("The template has no element ") + QString::number(index + 1)
                + QStringLiteral(" of ") + xpath);
    XmlNode element = matches.at(index);
    if (!element.setAttributeValue(attrIndex, value))
        return ReportFailure(error, kMissingElement,
            QStringLiteral("The template's element ") + QString::number(index + 1)
                + QStringLiteral(" of ") + xpath + QStringLiteral(" has no attribute ")
                + QString::number(attrIndex + 1));
    return true;
}

bool ReportTemplate::setDateFormat(const QString& expression, Error* error)
{
    XmlNode placeholder
        = m_document.selectSingleNode(QStringLiteral("//xsl:value-of[@select='##DATEFORMAT##']"));
    if (placeholder.isNull())
        return ReportFailure(error, kMissingElement,
            QStringLiteral("The template has no ##DATEFORMAT## placeholder"));
    placeholder.setAttribute(QStringLiteral("select"), expression);
    return true;
}

bool ReportTemplate::setDateFormatAt(int valueOfIndex, const QString& expression, Error* error)
{
    return setAttributeOfMatch(
        QStringLiteral("//xsl:value-of"), valueOfIndex, 0, expression, error);
}

QString ReportTemplate::TransformNode(const XmlNode& source) const
{
    return qb::TransformNode(source, m_document);
}

bool ReportTemplate::transformToDocument(
    const XmlNode& source, XmlDocument* result, Error* error) const
{
    return m_document.transformToDocument(source, result, error);
}

bool ReportTemplate::transformToText(const XmlNode& source, QString* result, Error* error) const
{
    return m_document.transformToText(source, result, error);
}

} // namespace qb
