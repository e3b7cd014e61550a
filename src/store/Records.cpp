#include "store/Records.h"

namespace qb {

QString Record::XML() const
{
    XmlDocument doc;
    doc.loadXml(QByteArray("<") + NodeName().toLatin1() + "/>");
    XmlNode node = doc.documentElement();
    for (const Field& f : fields())
        node.setAttribute(f.name, f.value);
    return node.xml();
}

bool Record::setXML(const QString& markup, Error* error)
{
    XmlDocument doc;
    if (!doc.loadXml(markup, error))
        return false;
    return LoadNode(doc.documentElement(), error);
}

XmlNode Record::CreateNode(XmlNode Parent)
{
    XmlNode node;
    if (Parent.isNull()) {
        m_standalone = std::make_shared<XmlDocument>();
        m_standalone->loadXml(QByteArray("<") + NodeName().toLatin1() + "/>");
        node = m_standalone->documentElement();
    } else {
        node = Parent.appendChild(Parent.createElement(NodeName()));
    }
    for (const Field& f : fields())
        node.setAttribute(f.name, f.value);
    return node;
}

bool Record::LoadNode(const XmlNode& node, Error* error)
{
    if (node.isNull())
        return true;
    const QList<Field> list = fields();
    for (int i = 0; i < list.size(); ++i) {
        const QString text = node.attribute(list[i].name);
        if (list[i].integer) {
            bool ok = false;
            text.trimmed().toInt(&ok);
            if (!ok) {
                if (error) {
                    error->number = 13; // type mismatch
                    error->description = QStringLiteral("Type mismatch: attribute ") + list[i].name
                        + QStringLiteral(" is not a number");
                }
                return false;
            }
        }
        setField(i, text);
    }
    return true;
}

QList<Record::Field> AcMaster::fields() const
{
    return {{schema::kCode, QString::number(Code), true}, {schema::kAcName, AcName, false}};
}

void AcMaster::setField(int index, const QString& text)
{
    if (index == 0)
        Code = text.trimmed().toInt();
    else
        AcName = text;
}

QList<Record::Field> Trans::fields() const
{
    return {{schema::kNo, QString::number(No), true}, {schema::kDate, QString::number(dt), true},
        {schema::kFrom, QString::number(fAc), true}, {schema::kTo, QString::number(tAc), true},
        {schema::kNar, Nar, false}};
}

void Trans::setField(int index, const QString& text)
{
    switch (index) {
    case 0:
        No = text.trimmed().toInt();
        break;
    case 1:
        dt = text.trimmed().toInt();
        break;
    case 2:
        fAc = text.trimmed().toInt();
        break;
    case 3:
        tAc = text.trimmed().toInt();
        break;
    default:
        Nar = text;
        break;
    }
}

QList<Record::Field> Groups::fields() const
{
    return {{schema::kMembers, gi, false}};
}

void Groups::setField(int, const QString& text)
{
    gi = text;
}

} // namespace qb
