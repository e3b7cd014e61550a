#pragma once

// Value classes that write one record of the document as a new element,
// with its attributes in the order the file format requires.

#include <memory>

#include <QString>

#include "store/BookSchema.h"
#include "store/Xml.h"

namespace qb {

// Shared behaviour: a record whose fields are written as attributes in order.
class Record
{
public:
    virtual ~Record() = default;

    virtual QString NodeName() const = 0;

    // Markup of a new stand-alone element made from the fields.
    QString XML() const;
    // Parses the markup and loads the fields from its root element.
    bool setXML(const QString& markup, Error* error = nullptr);

    // Appends a new element to Parent (or makes a stand-alone one when Parent
    // is null) and writes the fields as its attributes, in order.
    XmlNode CreateNode(XmlNode Parent);

    // Fills the fields from an element; false when an integer field is not a
    // number. A null node leaves the fields as they are and succeeds.
    bool LoadNode(const XmlNode& node, Error* error = nullptr);

protected:
    struct Field
    {
        QString name;
        QString value;
        bool integer;
    };
    virtual QList<Field> fields() const = 0;
    virtual void setField(int index, const QString& text) = 0;

private:
    std::shared_ptr<XmlDocument> m_standalone; // owner of a parent-less element
};

class AcMaster final : public Record
{
public:
    qint32 Code = 0;
    QString AcName;
    QString NodeName() const override { return schema::kAccount; }

protected:
    QList<Field> fields() const override;
    void setField(int index, const QString& text) override;
};

class Trans final : public Record
{
public:
    qint32 No = 0;
    qint32 dt = 0;
    qint32 fAc = 0;
    qint32 tAc = 0;
    QString Nar;
    QString NodeName() const override { return schema::kTransaction; }

protected:
    QList<Field> fields() const override;
    void setField(int index, const QString& text) override;
};

class Groups final : public Record
{
public:
    QString gi;
    QString NodeName() const override { return schema::kGroup; }

protected:
    QList<Field> fields() const override;
    void setField(int index, const QString& text) override;
};

} // namespace qb
