#include "KeePassXml.h"

#include <QFile>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>
#include <QXmlStreamReader>

using namespace varnook;
using namespace varnook::bench;

namespace {

struct ReadEntry {
    QString uuid;
    QMap<QString, QString> fields;
};

// The file as a KeePass XML reader sees it: the group's name and each entry's fields.
bool readBack(const QString &path, QString &groupName, QList<ReadEntry> &entries) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    QXmlStreamReader xml(&file);
    QStringList open;
    QString key;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement()) {
            open << xml.name().toString();
            if (xml.name() == QLatin1String("Entry"))
                entries.append(ReadEntry{});
        } else if (xml.isEndElement()) {
            open.removeLast();
        } else if (xml.isCharacters() && !xml.isWhitespace()) {
            const QString parent = open.value(open.size() - 2);
            if (open.last() == QLatin1String("Name") && parent == QLatin1String("Group"))
                groupName = xml.text().toString();
            else if (open.last() == QLatin1String("UUID") && parent == QLatin1String("Entry"))
                entries.last().uuid = xml.text().toString();
            else if (open.last() == QLatin1String("Key"))
                key = xml.text().toString();
            else if (open.last() == QLatin1String("Value"))
                entries.last().fields[key] = xml.text().toString();
        }
    }
    return !xml.hasError();
}

} // namespace

// The KeePass XML file that keepassxc-cli import turns into the baseline's database.
class TestKeePassXml : public QObject {
    Q_OBJECT

private slots:
    void fieldsReadBack_data() {
        QTest::addColumn<Entry>("entry");
        QTest::addColumn<QString>("title");
        QTest::newRow("plain") << Entry{"jo", "secret", "www.example.com"} << "www.example.com";
        QTest::newRow("markup characters") << Entry{"a&b<c>", "\"quoted\" 'too' ]]>", "x?a=1&b=2"} << "x?a=1&b=2";
        QTest::newRow("Western European letters") << Entry{"Jürgen", "naïve€", "/home/zoë"} << "/home/zoë";
        QTest::newRow("leading and trailing blanks") << Entry{" jo ", "  two  ", "host "} << "host ";
        // Title is the user name where the location is empty, as varnook-cli export writes it.
        QTest::newRow("no location") << Entry{"jo", "secret", ""} << "jo";
    }
    void fieldsReadBack() {
        QFETCH(Entry, entry);
        QFETCH(QString, title);
        QTemporaryDir folder;
        const QString path = folder.filePath(QStringLiteral("entries.xml"));
        QVERIFY(writeKeePassXml(path, {entry}));

        QString groupName;
        QList<ReadEntry> read;
        QVERIFY(readBack(path, groupName, read));
        QCOMPARE(groupName, QStringLiteral("Varnook"));
        QCOMPARE(read.size(), 1);
        QCOMPARE(read[0].fields.value(QStringLiteral("Title")), title);
        QCOMPARE(read[0].fields.value(QStringLiteral("UserName")), entry.username);
        QCOMPARE(read[0].fields.value(QStringLiteral("Password")), entry.password);
        QCOMPARE(read[0].fields.value(QStringLiteral("URL")), entry.location);
    }

    void everyEntryHasItsOwnId() {
        std::vector<Entry> entries;
        for (int i = 0; i < 300; ++i)
            entries.push_back({QStringLiteral("user%1").arg(i), QStringLiteral("pw"), QString()});
        QTemporaryDir folder;
        const QString path = folder.filePath(QStringLiteral("entries.xml"));
        QVERIFY(writeKeePassXml(path, entries));
        QString groupName;
        QList<ReadEntry> read;
        QVERIFY(readBack(path, groupName, read));
        QCOMPARE(read.size(), 300);
        QSet<QString> ids;
        for (const ReadEntry &entry : read) {
            // 16 bytes in base64.
            QCOMPARE(QByteArray::fromBase64(entry.uuid.toLatin1()).size(), 16);
            ids.insert(entry.uuid);
        }
        QCOMPARE(ids.size(), 300);
        QCOMPARE(read[299].fields.value(QStringLiteral("UserName")), QStringLiteral("user299"));
    }

    void unwritableFile() { QVERIFY(!writeKeePassXml(QStringLiteral("/nonexistent/folder/entries.xml"), {})); }
};

QTEST_GUILESS_MAIN(TestKeePassXml)
#include "tst_keepassxml.moc"
