#include "KeePassXml.h"

#include <QFile>
#include <QXmlStreamWriter>
#include <QtEndian>

namespace varnook::bench {

namespace {

// KeePass identifies groups and entries by 16-byte ids, written in base64.
QString uuid(quint64 number) {
    QByteArray bytes(16, '\0');
    qToBigEndian(number + 1, bytes.data() + 8);
    return QString::fromLatin1(bytes.toBase64());
}

void writeField(QXmlStreamWriter &xml, const QString &key, const QString &value, bool isProtected = false) {
    xml.writeStartElement(QStringLiteral("String"));
    xml.writeTextElement(QStringLiteral("Key"), key);
    xml.writeStartElement(QStringLiteral("Value"));
    if (isProtected)
        xml.writeAttribute(QStringLiteral("ProtectInMemory"), QStringLiteral("True"));
    xml.writeCharacters(value);
    xml.writeEndElement();
    xml.writeEndElement();
}

} // namespace

bool writeKeePassXml(const QString &path, const std::vector<Entry> &entries) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    QXmlStreamWriter xml(&file);
    xml.writeStartDocument();
    xml.writeStartElement(QStringLiteral("KeePassFile"));
    xml.writeStartElement(QStringLiteral("Meta"));
    xml.writeTextElement(QStringLiteral("Generator"), QStringLiteral("varnook-bench"));
    xml.writeTextElement(QStringLiteral("DatabaseName"), QStringLiteral("Varnook"));
    xml.writeEndElement();
    xml.writeStartElement(QStringLiteral("Root"));
    xml.writeStartElement(QStringLiteral("Group"));
    xml.writeTextElement(QStringLiteral("UUID"), uuid(0));
    xml.writeTextElement(QStringLiteral("Name"), QStringLiteral("Varnook"));
    quint64 id = 1;
    for (const Entry &entry : entries) {
        xml.writeStartElement(QStringLiteral("Entry"));
        xml.writeTextElement(QStringLiteral("UUID"), uuid(id++));
        writeField(xml, QStringLiteral("Title"), entry.location.isEmpty() ? entry.username : entry.location);
        writeField(xml, QStringLiteral("UserName"), entry.username);
        writeField(xml, QStringLiteral("Password"), entry.password, true);
        writeField(xml, QStringLiteral("URL"), entry.location);
        xml.writeEndElement();
    }
    xml.writeEndDocument();
    return !xml.hasError() && file.flush();
}

} // namespace varnook::bench
