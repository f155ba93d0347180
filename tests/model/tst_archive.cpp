// The archive's byte forms: tags, the ObjectId record, the empty document, strings in every length
// form, 32-bit times, and the reader's refusal of lengths and tags it cannot trust.
#include <functional>
#include <optional>

#include <QRegularExpression>
#include <QTest>

#include "bytewriter.h"
#include "model/archive.h"
#include "model/document.h"
#include "model/documentfile.h"
#include "model/objectid.h"
#include "model/site.h"

using namespace velmo;

namespace {

QByteArray written(const std::function<void(Archive &)> &write)
{
    QByteArray out;
    Archive ar = Archive::forWriting(out);
    write(ar);
    return out;
}

// The error a read raised, or nothing when the read went through.
std::optional<ArchiveError> readFailure(QByteArrayView bytes,
                                        const std::function<void(Archive &)> &read)
{
    Archive ar = Archive::forReading(bytes);
    try {
        read(ar);
    } catch (const ArchiveError &e) {
        return e;
    }
    return std::nullopt;
}

// The message shows offset as a number of its own, not as part of a longer one.
bool namesOffset(const QString &message, qint64 offset)
{
    return message.contains(
        QRegularExpression(QStringLiteral("(?<![0-9])%1(?![0-9])").arg(offset)));
}

QByteArray utf16le(const QString &text)
{
    QByteArray bytes;
    for (QChar c : text)
        bytes.append(char(c.unicode() & 0xFF)).append(char(c.unicode() >> 8));
    return bytes;
}

} // namespace

class TestArchive : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void tagAndQidRecord();
    void emptyDocument();
    void writtenLengthForms_data();
    void writtenLengthForms();
    void readLengthForms_data();
    void readLengthForms();
    void refusedStrings_data();
    void refusedStrings();
    void times_data();
    void times();
    void timeBeyond32Bits();
    void tagsCompareExactly_data();
    void tagsCompareExactly();
    void wrongDirectionRefused();
};

void TestArchive::tagAndQidRecord()
{
    const QByteArray tag = written([](Archive &ar) { ar.writeTag(tags::ObjectId); });
    QCOMPARE(tag.toHex(), QByteArray("fffeff09510049004400"
                                     "3a003a003000300030003100"));
    QCOMPARE(tag.size(), 22);

    // Negative values make a sign or byte-order slip visible.
    const QByteArray record = written([](Archive &ar) { ObjectId(1700000000, -2).store(ar); });
    QCOMPARE(record.size(), 30);
    QCOMPARE(record.mid(22).toHex(), QByteArray("00f15365feffffff"));

    ObjectId back;
    Archive ar = Archive::forReading(record);
    QCOMPARE(back.load(ar), 1);
    QCOMPARE(back, ObjectId(1700000000, -2));
    QCOMPARE(ar.remaining(), 0);
}

void TestArchive::emptyDocument()
{
    Document global;
    QByteArray bytes;
    QVERIFY(DocumentFile::toBytes(global, bytes));
    QCOMPARE(bytes.size(), 156);
    const QByteArray expected = ByteWriter()
                                    .tag(QStringLiteral("QGlobal::0001"))
                                    .emptyList()
                                    .emptyList()
                                    .emptyList()
                                    .bytes();
    QCOMPARE(bytes, expected);
}

void TestArchive::writtenLengthForms_data()
{
    QTest::addColumn<int>("units");
    QTest::addColumn<QByteArray>("header");

    // clang-format off
    QTest::newRow("empty")         << 0       << QByteArray::fromHex("fffeff" "00");
    QTest::newRow("254 units")     << 254     << QByteArray::fromHex("fffeff" "fe");
    QTest::newRow("255 units")     << 255     << QByteArray::fromHex("fffeff" "ff" "ff00");
    QTest::newRow("0xFFFD units")  << 0xFFFD  << QByteArray::fromHex("fffeff" "ff" "fdff");
    QTest::newRow("0xFFFE units")  << 0xFFFE  << QByteArray::fromHex("fffeff" "ff" "ffff" "feff0000");
    QTest::newRow("0x10001 units") << 0x10001 << QByteArray::fromHex("fffeff" "ff" "ffff" "01000100");
    // clang-format on
}

void TestArchive::writtenLengthForms()
{
    QFETCH(int, units);
    QFETCH(QByteArray, header);

    // Non-Latin text, so that both bytes of each unit matter.
    QString text(units, Qt::Uninitialized);
    for (int i = 0; i < units; ++i)
        text[i] = QChar(char16_t(0x3042 + i % 80));
    const QByteArray bytes = written([&](Archive &ar) { ar.writeString(text); });

    QCOMPARE(bytes.left(header.size()).toHex(), header.toHex());
    QCOMPARE(bytes.size(), header.size() + 2 * units);
    QCOMPARE(bytes.mid(header.size()), utf16le(text));

    Archive ar = Archive::forReading(bytes);
    QCOMPARE(ar.readString(), text);
    QCOMPARE(ar.remaining(), 0);
}

void TestArchive::readLengthForms_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");

    const QString kana = QStringLiteral("かな");
    const QByteArray kanaUnits = utf16le(kana);
    const QByteArray bytes256(256, 'x');

    QTest::newRow("utf-16, byte") << ByteWriter().str(kana).bytes() << kana;
    QTest::newRow("utf-16, 16-bit")
        << ByteWriter().u8(0xFF).u16(0xFFFE).u8(0xFF).u16(2).raw(kanaUnits).bytes() << kana;
    QTest::newRow("utf-16, 32-bit")
        << ByteWriter().u8(0xFF).u16(0xFFFE).u8(0xFF).u16(0xFFFF).u32(2).raw(kanaUnits).bytes()
        << kana;
    QTest::newRow("utf-16, 64-bit") << ByteWriter()
                                           .u8(0xFF)
                                           .u16(0xFFFE)
                                           .u8(0xFF)
                                           .u16(0xFFFF)
                                           .u32(0xFFFFFFFF)
                                           .u64(2)
                                           .raw(kanaUnits)
                                           .bytes()
                                    << kana;
    QTest::newRow("8-bit, byte") << ByteWriter().str8("abc").bytes() << QStringLiteral("abc");
    QTest::newRow("8-bit, 16-bit")
        << ByteWriter().u8(0xFF).u16(256).raw(bytes256).bytes() << QString::fromLatin1(bytes256);
    QTest::newRow("8-bit, 32-bit")
        << ByteWriter().u8(0xFF).u16(0xFFFF).u32(3).raw("abc").bytes() << QStringLiteral("abc");
    QTest::newRow("8-bit, 64-bit")
        << ByteWriter().u8(0xFF).u16(0xFFFF).u32(0xFFFFFFFF).u64(3).raw("abc").bytes()
        << QStringLiteral("abc");
    // 日本語 and half-width ｶﾅ in code page 932.
    QTest::newRow("8-bit, code page 932")
        << ByteWriter().str8(QByteArray::fromHex("93fa967b8cea20b6c5")).bytes()
        << QStringLiteral("日本語 ｶﾅ");
}

void TestArchive::readLengthForms()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);

    // A trailing integer shows that the string took exactly its own bytes.
    const QByteArray stream = bytes + ByteWriter().i32(-7).bytes();
    Archive ar = Archive::forReading(stream);
    QCOMPARE(ar.readString(), text);
    QCOMPARE(ar.readInt32(), -7);
    QCOMPARE(ar.remaining(), 0);
}

void TestArchive::refusedStrings_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<qint64>("offset");

    // Each stream starts with a 4-byte integer, so the string starts at offset 4.
    ByteWriter lead;
    lead.i32(1);
    const QByteArray filler = utf16le(QStringLiteral("QGlobal::0001"));

    auto utf16With32BitLength = [&](quint32 units) {
        return ByteWriter(lead).u8(0xFF).u16(0xFFFE).u8(0xFF).u16(0xFFFF).u32(units).raw(filler);
    };
    auto with64BitLength = [&](quint64 length) {
        return ByteWriter(lead).u8(0xFF).u16(0xFFFF).u32(0xFFFFFFFF).u64(length).raw(filler);
    };

    // clang-format off
    QTest::newRow("utf-16 claims 2^31-1 units")     << utf16With32BitLength(0x7FFFFFFF).bytes()  << qint64(4);
    QTest::newRow("utf-16 claims 0xFFFFFFFE units") << utf16With32BitLength(0xFFFFFFFE).bytes()  << qint64(4);
    QTest::newRow("64-bit form beyond 0x7FFFFFFF")  << with64BitLength(0x80000000).bytes()       << qint64(4);
    QTest::newRow("64-bit form of 2^63")            << with64BitLength(quint64(1) << 63).bytes() << qint64(4);
    QTest::newRow("8-bit one byte short")           << ByteWriter(lead).u8(5).raw("abcd").bytes() << qint64(4);
    // clang-format on

    // The end of the file comes inside the length, at its 16-bit part.
    QTest::newRow("header cut short")
        << ByteWriter(lead).u8(0xFF).u16(0xFFFE).u8(0xFF).bytes() << qint64(8);
}

void TestArchive::refusedStrings()
{
    QFETCH(QByteArray, bytes);
    QFETCH(qint64, offset);

    // A length is checked against what the file holds before anything is allocated: a string
    // that claims gigabytes must fail with an archive error, not with an allocation failure.
    const auto error = readFailure(bytes, [](Archive &ar) {
        ar.readInt32();
        ar.readString();
    });
    QVERIFY(error.has_value());
    QCOMPARE(error->offset(), offset);
    QVERIFY2(namesOffset(error->message(), offset), qPrintable(error->message()));
}

void TestArchive::times_data()
{
    QTest::addColumn<qint64>("seconds");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<qint64>("readBack");

    // clang-format off
    QTest::newRow("epoch")           << qint64(0)          << QByteArray::fromHex("00000000") << qint64(0);
    QTest::newRow("2023")            << qint64(1700000000) << QByteArray::fromHex("00f15365") << qint64(1700000000);
    QTest::newRow("last of 2038")    << qint64(0x7FFFFFFF) << QByteArray::fromHex("ffffff7f") << qint64(0x7FFFFFFF);
    QTest::newRow("after 2038")      << qint64(0x80000000) << QByteArray::fromHex("00000080") << qint64(-0x80000000LL);
    QTest::newRow("last of 2106")    << qint64(0xFFFFFFFF) << QByteArray::fromHex("ffffffff") << qint64(-1);
    QTest::newRow("before 1970")     << qint64(-1)         << QByteArray::fromHex("ffffffff") << qint64(-1);
    // clang-format on
}

void TestArchive::times()
{
    QFETCH(qint64, seconds);
    QFETCH(QByteArray, bytes);
    QFETCH(qint64, readBack);

    QCOMPARE(written([&](Archive &ar) { ar.writeTime(seconds); }).toHex(), bytes.toHex());
    Archive ar = Archive::forReading(bytes);
    QCOMPARE(ar.readTime(), readBack);
}

void TestArchive::timeBeyond32Bits()
{
    for (const qint64 seconds : {qint64(0x100000000), qint64(0x7FFFFFFFFFFFFFFF)}) {
        QByteArray out;
        Archive ar = Archive::forWriting(out);
        ar.writeInt32(0);
        QVERIFY_THROWS_EXCEPTION(ArchiveError, ar.writeTime(seconds));
        // Nothing of the refused value reaches the output.
        QCOMPARE(out.size(), 4);
    }
}

void TestArchive::tagsCompareExactly_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("accepted");

    // clang-format off
    QTest::newRow("new version")     << ByteWriter().tag(QStringLiteral("QSite::0002")).bytes()  << 1;
    QTest::newRow("old version")     << ByteWriter().tag(QStringLiteral("QSite::0001")).bytes()  << 0;
    QTest::newRow("8-bit")           << ByteWriter().str8("QSite::0002").bytes()                 << 1;
    QTest::newRow("lower case")      << ByteWriter().tag(QStringLiteral("qsite::0002")).bytes()  << -1;
    QTest::newRow("one letter")      << ByteWriter().tag(QStringLiteral("QSitE::0002")).bytes()  << -1;
    QTest::newRow("unknown version") << ByteWriter().tag(QStringLiteral("QSite::0003")).bytes()  << -1;
    QTest::newRow("longer")          << ByteWriter().tag(QStringLiteral("QSite::00020")).bytes() << -1;
    QTest::newRow("prefix")          << ByteWriter().tag(QStringLiteral("QSite::000")).bytes()   << -1;
    QTest::newRow("empty")           << ByteWriter().tag(QString()).bytes()                      << -1;
    // clang-format on
}

void TestArchive::tagsCompareExactly()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, accepted);

    const QByteArray stream = ByteWriter().i32(0).raw(bytes).bytes();
    int index = -2;
    const auto error = readFailure(stream, [&](Archive &ar) {
        ar.readInt32();
        index = ar.readTag({tags::SiteV1, tags::Site});
    });
    if (accepted >= 0) {
        QVERIFY(!error.has_value());
        QCOMPARE(index, accepted);
    } else {
        QVERIFY(error.has_value());
        QCOMPARE(error->offset(), 4);
        QVERIFY2(namesOffset(error->message(), 4), qPrintable(error->message()));
    }
}

void TestArchive::wrongDirectionRefused()
{
    const QByteArray record = ByteWriter().qid(5, 6).bytes();
    Archive reader = Archive::forReading(record);
    ObjectId id(1, 2);
    QCOMPARE(id.store(reader), 0);
    Document global;
    QCOMPARE(global.store(reader), 0);
    QCOMPARE(global.sites.store(reader), 0);
    // Nothing was consumed: the record still reads in full.
    QCOMPARE(reader.position(), 0);

    QByteArray out;
    Archive writer = Archive::forWriting(out);
    QCOMPARE(id.load(writer), 0);
    QCOMPARE(id, ObjectId(1, 2));
    QCOMPARE(global.sites.load(writer, nullptr), 0);
    QCOMPARE(global.load(writer), 0);
    QVERIFY(out.isEmpty());
}

QTEST_GUILESS_MAIN(TestArchive)
#include "tst_archive.moc"
