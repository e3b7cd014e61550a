#include "TestSupport.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QSettings>

#include "store/ClsAX.h"

namespace qb::test {

DataStore& sharedStore()
{
    static DataStore store;
    return store;
}

TempEnv::TempEnv()
{
    QSettings::setDefaultFormat(QSettings::IniFormat);
    QSettings::setPath(
        QSettings::IniFormat, QSettings::UserScope, m_dir.filePath(QStringLiteral("settings")));
}

TempEnv::~TempEnv() = default;

MsgResult RecordingPrompt::show(const Message& message)
{
    shown.append(message);
    if (!m_answers.isEmpty())
        return m_answers.dequeue();
    if (message.defaultButton != MsgResult::None)
        return message.defaultButton;
    return (message.buttons == MsgButtons::YesNo || message.buttons == MsgButtons::YesNoCancel)
        ? MsgResult::Yes
        : MsgResult::Ok;
}

QString RecordingFileDialogs::choose(const FileRequest& request)
{
    requests.append(request);
    return m_answers.isEmpty() ? QString() : m_answers.dequeue();
}

int ScriptedPopupMenus::choose(const QList<MenuItem>& items)
{
    shown.append(items);
    return m_answers.isEmpty() ? 0 : m_answers.dequeue();
}

QByteArray fileBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

QStringList nodeTexts(const QList<XmlNode>& nodes)
{
    QStringList texts;
    for (const XmlNode& node : nodes)
        texts.append(node.text().trimmed());
    return texts;
}

QStringList sectionNames(const XmlDocument& doc)
{
    QStringList names;
    for (const XmlNode& c : doc.documentElement().childElements())
        names << c.name();
    return names;
}

bool writeDataFile(const QString& path, const QByteArray& xml)
{
    QByteArray bytes = xml;
    ClsAX::EnDeCryptBytes(bytes, DataFileKey());
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate)
        && file.write(bytes) == bytes.size();
}

QByteArray readDataFile(const QString& path)
{
    return ReadDataFileBytes(path);
}

QByteArray sampleBookXml()
{
    // PValue is the digest of I: the book has no password.
    const QByteArray pValue = PasswordDigest(QStringLiteral("ABCDEFGHIJKLMNOPQRST")).toLatin1();
    return QByteArrayLiteral("<Data><AcMaster>"
                             "<a Code=\"1\" AcName=\"Cash\"/><a Code=\"2\" AcName=\"Bank\"/>"
                             "<a Code=\"3\" AcName=\"Salary\"/><a Code=\"4\" AcName=\"Food\"/>"
                             "</AcMaster><PValue>")
        + pValue
        + QByteArrayLiteral(
            "</PValue><Trans>"
            "<t No=\"1\" dt=\"20130105\" fAc=\"3\" tAc=\"2\" Nar=\"January pay\">2500</t>"
            "<t No=\"1\" dt=\"20130110\" fAc=\"2\" tAc=\"1\" Nar=\"Withdrawal\">300</t>"
            "<t No=\"2\" dt=\"20130110\" fAc=\"1\" tAc=\"4\" Nar=\"Groceries\">45.5</t>"
            "<t No=\"1\" dt=\"20130201\" fAc=\"1\" tAc=\"4\" Nar=\"Market\">12.25</t>"
            "</Trans><Groups><Group gi=\",1,2,\">Money</Group></Groups><Narration>"
            "<n>Groceries</n><n>Rent</n></Narration>"
            "<I>ABCDEFGHIJKLMNOPQRST</I><DateRanges/></Data>");
}

ToolRun runQbtool(const QString& folder, const QStringList& args)
{
    QProcess p;
    p.setWorkingDirectory(folder);
    p.start(QCoreApplication::applicationDirPath() + QStringLiteral("/qbtool"), args);
    ToolRun r;
    if (p.waitForFinished(60000) && p.exitStatus() == QProcess::NormalExit)
        r.exitCode = p.exitCode();
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

} // namespace qb::test
