#include "registre/RegistryKey.h"

#include <QtTest>

#include <QPoint>

#include <stdexcept>

namespace {

using Store = RegistryStore;
constexpr quint32 Hkcu = Store::HKEY_CURRENT_USER;

QByteArray bytes(const char *data, int size)
{
    return QByteArray(data, size);
}

// "number | source | description", or "none", so that one comparison shows
// every field of an error.
QString describe(const std::optional<RegistryError> &error)
{
    if (!error)
        return QStringLiteral("none");
    return QString::number(error->number()) + QStringLiteral(" | ") + error->source() + QStringLiteral(" | ")
           + error->description();
}

// A listing as text: "nothing", or the names in quotes, a zero character
// shown as \0, so that an empty list and a list of one "" differ.
QString listed(const std::optional<QStringList> &names)
{
    if (!names)
        return QStringLiteral("nothing");
    QStringList quoted;
    for (QString name : *names)
        quoted << QLatin1Char('"') + name.replace(QChar(0), QLatin1String("\\0")) + QLatin1Char('"');
    return QLatin1Char('[') + quoted.join(QLatin1String(", ")) + QLatin1Char(']');
}

template <typename Call>
std::optional<RegistryError> raised(Call &&call)
{
    try {
        call();
    } catch (const RegistryError &error) {
        return error;
    }
    return std::nullopt;
}

const char *operationName(Store::Operation operation)
{
    switch (operation) {
    case Store::Operation::OpenKey: return "OpenKey";
    case Store::Operation::CreateKey: return "CreateKey";
    case Store::Operation::CloseKey: return "CloseKey";
    case Store::Operation::QueryValue: return "QueryValue";
    case Store::Operation::SetValue: return "SetValue";
    case Store::Operation::EnumValue: return "EnumValue";
    case Store::Operation::EnumKey: return "EnumKey";
    case Store::Operation::DeleteKey: return "DeleteKey";
    case Store::Operation::DeleteValue: return "DeleteValue";
    }
    return "?";
}

// Records the operations a store receives, each with the handle it was given,
// for as long as it lives.
struct Trace
{
    Store &store;
    QStringList calls;

    explicit Trace(Store &traced)
        : store(traced)
    {
        store.setInterceptor([this](Store::Operation operation, Store::Handle handle) {
            calls << QStringLiteral("%1 %2").arg(QLatin1String(operationName(operation))).arg(handle, 0, 16);
            return Store::ERROR_SUCCESS;
        });
    }

    ~Trace() { store.setInterceptor({}); }
};

const QString listingText = QStringLiteral("Unable to retrieve value names for registry key");

}

class TestRegistryKey : public QObject
{
    Q_OBJECT

private slots:
    void valueRead_data()
    {
        QTest::addColumn<quint32>("type");
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<QString>("expected");

        QTest::newRow("text with terminator") << Store::REG_SZ << bytes("abc\0", 4) << QStringLiteral("abc");
        QTest::newRow("text without terminator") << Store::REG_SZ << bytes("abc", 3) << QStringLiteral("ab");
        QTest::newRow("empty text") << Store::REG_SZ << QByteArray() << QString();
        QTest::newRow("empty binary") << Store::REG_BINARY << QByteArray() << QString();
        QTest::newRow("one byte") << Store::REG_BINARY << bytes("x", 1) << QString();
        QTest::newRow("number") << Store::REG_DWORD << bytes("\x41\x00\x42\x00", 4)
                                << QString::fromLatin1("A\0B", 3);
        QTest::newRow("multi-text") << Store::REG_MULTI_SZ << bytes("ab\0cd\0\0", 7)
                                    << QString::fromLatin1("ab\0cd\0", 6);
        QTest::newRow("expandable text, not expanded")
            << Store::REG_EXPAND_SZ << bytes("%HOME%\\x\0", 9) << QStringLiteral("%HOME%\\x");
        QTest::newRow("8-bit characters") << Store::REG_SZ << bytes("\xe9t\xe9\0", 4) << QStringLiteral("été");
    }

    void valueRead()
    {
        QFETCH(quint32, type);
        QFETCH(QByteArray, data);
        QFETCH(QString, expected);
        Store store;
        store.putValue(Hkcu, "Logiciel", "v", type, data);
        RegistryKey key(store);
        key.OpenKey(Hkcu, QStringLiteral("logiciel"), Store::KEY_READ);
        QVERIFY(key.handle() != 0);
        QCOMPARE(key.value(QStringLiteral("V")), expected);
        QCOMPARE(describe(key.absorbedError()), QStringLiteral("none"));
    }

    void valueReadFailsQuietly_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<quint32>("rights");
        QTest::addColumn<QString>("error");

        const QString lengthText = QStringLiteral(" | RegistryKey.Get Value | Unable to get the length of the registy value 'v'");
        QTest::newRow("missing value") << QStringLiteral("Logiciel\\Vide") << Store::KEY_READ
                                       << QStringLiteral("2") + lengthText;
        QTest::newRow("no open key") << QString() << 0u << QStringLiteral("6") + lengthText;
        QTest::newRow("after a failed OpenKey") << QStringLiteral("Absent") << Store::KEY_READ
                                                << QStringLiteral("6") + lengthText;
        QTest::newRow("key opened for writing only") << QStringLiteral("Logiciel") << Store::KEY_WRITE
                                                     << QStringLiteral("5") + lengthText;
    }

    void valueReadFailsQuietly()
    {
        QFETCH(QString, path);
        QFETCH(quint32, rights);
        QFETCH(QString, error);
        Store store;
        store.putValue(Hkcu, "Logiciel", "v", Store::REG_SZ, bytes("abc\0", 4));
        store.putKey(Hkcu, "Logiciel\\Vide");
        RegistryKey key(store);
        if (!path.isEmpty())
            key.OpenKey(Hkcu, path, rights);
        QCOMPARE(key.value(QStringLiteral("v")), QString());
        QCOMPARE(describe(key.absorbedError()), error);
    }

    // The length found first rules, whatever the store holds by the read.
    void valueChangedBetweenLengthAndRead_data()
    {
        QTest::addColumn<QByteArray>("later");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<QString>("error");

        QTest::newRow("grew") << bytes("abcdefg\0", 8) << QString(3, QChar(0))
                              << QStringLiteral("234 | RegistryKey.Get Value | An error occurred while getting the "
                                                "registy value 'v'");
        QTest::newRow("shrank") << bytes("x\0", 2) << QString::fromLatin1("x\0\0", 3) << QStringLiteral("none");
    }

    void valueChangedBetweenLengthAndRead()
    {
        QFETCH(QByteArray, later);
        QFETCH(QString, expected);
        QFETCH(QString, error);
        Store store;
        store.putValue(Hkcu, "Logiciel", "v", Store::REG_SZ, bytes("abc\0", 4));
        int queries = 0;
        store.setInterceptor([&](Store::Operation operation, Store::Handle) {
            if (operation == Store::Operation::QueryValue && ++queries == 2)
                store.putValue(Hkcu, "Logiciel", "v", Store::REG_SZ, later);
            return Store::ERROR_SUCCESS;
        });
        RegistryKey key(store);
        key.OpenKey(Hkcu, QStringLiteral("Logiciel"), Store::KEY_READ);
        QCOMPARE(key.value(QStringLiteral("v")), expected);
        QCOMPARE(queries, 2);
        QCOMPARE(describe(key.absorbedError()), error);
    }

    void openKeyForWritingCreatesMissingKey()
    {
        Store store;
        Trace trace(store);
        RegistryKey key(store);
        key.OpenKey(Hkcu, QStringLiteral("Logiciel\\Neuf"), Store::KEY_WRITE);

        QVERIFY(key.handle() != 0);
        QVERIFY(store.hasKey(Hkcu, "Logiciel\\Neuf"));
        QCOMPARE(store.rightsOf(key.handle()), Store::KEY_WRITE);
        QCOMPARE(store.openHandleCount(), 1);
        QCOMPARE(trace.calls.size(), 4);
        QCOMPARE(trace.calls[0], QStringLiteral("OpenKey 80000001"));
        QCOMPARE(trace.calls[1], QStringLiteral("CreateKey 80000001"));
        QVERIFY(trace.calls[2].startsWith(QStringLiteral("CloseKey ")));
        QCOMPARE(trace.calls[3], QStringLiteral("OpenKey 80000001"));
    }

    void openKeyWithOtherRightsCreatesNothing_data()
    {
        QTest::addColumn<quint32>("rights");
        QTest::newRow("read") << Store::KEY_READ;
        QTest::newRow("full") << Store::KEY_ALL_ACCESS;
        QTest::newRow("write and query") << (Store::KEY_WRITE | Store::KEY_QUERY_VALUE);
        QTest::newRow("set value only") << Store::KEY_SET_VALUE;
    }

    void openKeyWithOtherRightsCreatesNothing()
    {
        QFETCH(quint32, rights);
        Store store;
        RegistryKey key(store);
        key.OpenKey(Hkcu, QStringLiteral("Logiciel\\Neuf"), rights);
        QCOMPARE(key.handle(), 0u);
        QVERIFY(!store.hasKey(Hkcu, "Logiciel"));
        QCOMPARE(store.openHandleCount(), 0);
    }

    void createKey()
    {
        Store store;
        RegistryKey key(store);
        QVERIFY(key.CreateKey(Hkcu, QStringLiteral("Logiciel\\Neuf"), QString(), 0, Store::KEY_ALL_ACCESS));
        const quint32 first = key.handle();
        QVERIFY(first != 0);
        QVERIFY(store.hasKey(Hkcu, "Logiciel\\Neuf"));

        QVERIFY(!key.CreateKey(Hkcu, QStringLiteral("LOGICIEL\\neuf"), QString(), 0, Store::KEY_READ));
        QVERIFY(key.handle() != 0);
        QVERIFY(key.handle() != first);
        QCOMPARE(store.rightsOf(key.handle()), Store::KEY_READ);
        QCOMPARE(store.openHandleCount(), 1);

        QVERIFY(!key.CreateKey(0, QStringLiteral("Logiciel"), QString(), 0, Store::KEY_ALL_ACCESS));
        QCOMPARE(key.handle(), 0u);
        QCOMPARE(store.openHandleCount(), 0);
    }

    void secondOpenKeyClosesTheFirst()
    {
        Store store;
        store.putKey(Hkcu, "A");
        store.putKey(Hkcu, "B");
        RegistryKey key(store);
        key.OpenKey(Hkcu, QStringLiteral("A"), Store::KEY_READ);
        const quint32 first = key.handle();
        Trace trace(store);
        key.OpenKey(Hkcu, QStringLiteral("B"), Store::KEY_READ);
        QCOMPARE(trace.calls, QStringList({QStringLiteral("CloseKey %1").arg(first, 0, 16),
                                           QStringLiteral("OpenKey 80000001")}));
        QVERIFY(key.handle() != 0);
        QCOMPARE(store.openHandleCount(), 1);
    }

    void failedCloseKeepsTheKey()
    {
        Store store;
        store.putKey(Hkcu, "A");
        RegistryKey key(store);
        key.OpenKey(Hkcu, QStringLiteral("A"), Store::KEY_READ);
        const quint32 held = key.handle();
        QStringList calls;
        store.setInterceptor([&](Store::Operation operation, Store::Handle) {
            calls << QLatin1String(operationName(operation));
            return operation == Store::Operation::CloseKey ? Store::ERROR_ACCESS_DENIED : Store::ERROR_SUCCESS;
        });
        const QString closeError = QStringLiteral("5 | RegistryKey.CloseKey | An error occurred while closing the registy key");

        QCOMPARE(describe(raised([&] { key.CloseKey(); })), closeError);
        QCOMPARE(key.handle(), held);
        // OpenKey and CreateKey pass the error on and go no further.
        QCOMPARE(describe(raised([&] { key.OpenKey(Hkcu, QStringLiteral("A"), Store::KEY_READ); })), closeError);
        QCOMPARE(describe(raised([&] { key.CreateKey(Hkcu, QStringLiteral("B"), QString(), 0, Store::KEY_ALL_ACCESS); })),
                 closeError);
        QCOMPARE(calls, QStringList({QStringLiteral("CloseKey"), QStringLiteral("CloseKey"), QStringLiteral("CloseKey")}));
        QCOMPARE(key.handle(), held);
        QVERIFY(!store.hasKey(Hkcu, "B"));

        store.setInterceptor({});
        key.CloseKey();
        QCOMPARE(key.handle(), 0u);
        QCOMPARE(store.openHandleCount(), 0);
    }

    void failedCloseDuringDestruction()
    {
        Store store;
        store.putKey(Hkcu, "A");
        int closes = 0;
        {
            RegistryKey key(store);
            key.OpenKey(Hkcu, QStringLiteral("A"), Store::KEY_READ);
            store.setInterceptor([&](Store::Operation operation, Store::Handle) {
                closes += operation == Store::Operation::CloseKey;
                return operation == Store::Operation::CloseKey ? Store::ERROR_INVALID_HANDLE : Store::ERROR_SUCCESS;
            });
        }
        QCOMPARE(closes, 1);
        QCOMPARE(store.openHandleCount(), 1);
    }

    void destructionClosesTheKey()
    {
        Store store;
        store.putKey(Hkcu, "A");
        {
            RegistryKey key(store);
            key.OpenKey(Hkcu, QStringLiteral("A"), Store::KEY_READ);
            QCOMPARE(store.openHandleCount(), 1);
        }
        QCOMPARE(store.openHandleCount(), 0);
    }

    void valueWrite_data()
    {
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QByteArray>("stored");
        QTest::newRow("number 5") << QVariant(5) << bytes("5\0", 2);
        QTest::newRow("text") << QVariant(QStringLiteral("abc")) << bytes("abc\0", 4);
        QTest::newRow("empty text") << QVariant(QString()) << bytes("\0", 1);
        QTest::newRow("8-bit character") << QVariant(QStringLiteral("é")) << bytes("\xe9\0", 2);
    }

    void valueWrite()
    {
        QFETCH(QVariant, value);
        QFETCH(QByteArray, stored);
        Store store;
        store.putValue(Hkcu, "A", "v", Store::REG_DWORD, bytes("\1\0\0\0", 4));
        RegistryKey key(store);
        key.OpenKey(Hkcu, QStringLiteral("A"), Store::KEY_ALL_ACCESS);
        key.value(QStringLiteral("v"), value);
        const auto written = store.storedValue(Hkcu, "A", "v");
        QVERIFY(written);
        QCOMPARE(written->type, Store::REG_SZ);
        QCOMPARE(written->data, stored);
    }

    void valueWriteWithoutTextForm_data()
    {
        QTest::addColumn<QVariant>("value");
        QTest::newRow("nothing") << QVariant();
        QTest::newRow("point") << QVariant(QPoint(1, 2));
        QTest::newRow("list of two") << QVariant(QStringList{QStringLiteral("a"), QStringLiteral("b")});
    }

    void valueWriteWithoutTextForm()
    {
        QFETCH(QVariant, value);
        Store store;
        store.putKey(Hkcu, "A");
        RegistryKey key(store);
        key.OpenKey(Hkcu, QStringLiteral("A"), Store::KEY_ALL_ACCESS);
        QVERIFY_THROWS_EXCEPTION(std::invalid_argument, key.value(QStringLiteral("v"), value));
        QVERIFY(!store.storedValue(Hkcu, "A", "v"));
    }

    void refusedValueWriteIsNotReported()
    {
        Store store;
        store.putKey(Hkcu, "A");
        RegistryKey key(store);
        key.value(QStringLiteral("v"), 1);
        key.OpenKey(Hkcu, QStringLiteral("A"), Store::KEY_READ);
        key.value(QStringLiteral("v"), 1);
        QVERIFY(!store.storedValue(Hkcu, "A", "v"));
    }

    void listingsOfAKeyWithOnlyTheUnnamedValue()
    {
        Store store;
        store.putValue(Hkcu, "A", "", Store::REG_SZ, bytes("x\0", 2));
        RegistryKey key(store);
        key.OpenKey(Hkcu, QStringLiteral("A"), Store::KEY_READ);
        QCOMPARE(listed(key.ValueNames()), QStringLiteral("[]"));
        QCOMPARE(listed(key.SubValueNames()), QStringLiteral("[\"\"]"));
        QCOMPARE(listed(key.SubKeyNames()), QStringLiteral("[]"));
        QCOMPARE(describe(key.absorbedError()), QStringLiteral("none"));
    }

    void listingsKeepOrderAndCutNamesDifferently()
    {
        Store store;
        store.putValue(Hkcu, "A", "b", Store::REG_SZ, QByteArray());
        store.putValue(Hkcu, "A", "", Store::REG_SZ, QByteArray());
        store.putValue(Hkcu, "A", "Z", Store::REG_SZ, QByteArray());
        store.putValue(Hkcu, "A", bytes("a\0z", 3), Store::REG_SZ, QByteArray());
        store.putKey(Hkcu, "A\\z");
        store.putKey(Hkcu, "A\\m");
        RegistryKey key(store);
        key.OpenKey(Hkcu, QStringLiteral("A"), Store::KEY_READ);
        QCOMPARE(listed(key.ValueNames()), QStringLiteral("[\"b\", \"Z\", \"a\\0z\"]"));
        QCOMPARE(listed(key.SubValueNames()), QStringLiteral("[\"b\", \"\", \"Z\", \"a\"]"));
        QCOMPARE(listed(key.SubKeyNames()), QStringLiteral("[\"z\", \"m\"]"));
    }

    void longNames_data()
    {
        QTest::addColumn<int>("length");
        QTest::addColumn<bool>("listedByValueNames");
        QTest::addColumn<bool>("listedBySubNames");

        QTest::newRow("511") << 511 << true << true;
        QTest::newRow("512") << 512 << true << false;
        QTest::newRow("600") << 600 << true << false;
        QTest::newRow("4095") << 4095 << true << false;
        QTest::newRow("4096") << 4096 << false << false;
    }

    void longNames()
    {
        QFETCH(int, length);
        QFETCH(bool, listedByValueNames);
        QFETCH(bool, listedBySubNames);
        const QByteArray name(length, 'n');
        Store store;
        store.putValue(Hkcu, "A", name, Store::REG_SZ, QByteArray());
        store.putKey(Hkcu, "A\\" + name);
        RegistryKey key(store);
        key.OpenKey(Hkcu, QStringLiteral("A"), Store::KEY_READ);

        if (listedByValueNames)
            QCOMPARE(key.ValueNames(), QStringList{QString::fromLatin1(name)});
        else
            QCOMPARE(describe(raised([&] { key.ValueNames(); })),
                     QStringLiteral("234 | RegistryKey.GetValues | ") + listingText);

        const QString expected = listedBySubNames ? listed(QStringList{QString::fromLatin1(name)}) : QStringLiteral("nothing");
        const QString error = listedBySubNames ? QStringLiteral("none")
                                               : QStringLiteral("234 | RegistryKey.GetValues | ") + listingText;
        QCOMPARE(listed(key.SubKeyNames()), expected);
        QCOMPARE(describe(key.absorbedError()), error);
        QCOMPARE(listed(key.SubValueNames()), expected);
        QCOMPARE(describe(key.absorbedError()), error);
    }

    void listingsWithoutAKey()
    {
        Store store;
        RegistryKey key(store);
        const QString error = QStringLiteral("6 | RegistryKey.GetValues | ") + listingText;
        QCOMPARE(describe(raised([&] { key.ValueNames(); })), error);
        QCOMPARE(listed(key.SubKeyNames()), QStringLiteral("nothing"));
        QCOMPARE(describe(key.absorbedError()), error);
        QCOMPARE(listed(key.SubValueNames()), QStringLiteral("nothing"));
        QCOMPARE(describe(key.absorbedError()), error);
    }

    void subKeyNamesPast32767ReplaceTheLast()
    {
        Store store;
        for (int i = 0; i < 32769; ++i)
            store.putKey(Hkcu, "A\\k" + QByteArray::number(i));
        RegistryKey key(store);
        key.OpenKey(Hkcu, QStringLiteral("A"), Store::KEY_READ);
        const auto names = key.SubKeyNames();
        QVERIFY(names);
        QCOMPARE(names->size(), 32767);
        QCOMPARE(names->at(32765), QStringLiteral("k32765"));
        QCOMPARE(names->last(), QStringLiteral("k32768"));
    }

    void valueNamesPast32767Overflow()
    {
        Store store;
        store.putValue(Hkcu, "A", "", Store::REG_SZ, QByteArray());
        for (int i = 0; i < 32767; ++i)
            store.putValue(Hkcu, "A", "v" + QByteArray::number(i), Store::REG_SZ, QByteArray());
        RegistryKey key(store);
        key.OpenKey(Hkcu, QStringLiteral("A"), Store::KEY_READ);
        // The unnamed value does not count.
        QCOMPARE(key.ValueNames().size(), 32767);

        const auto subValueNames = key.SubValueNames();
        QVERIFY(subValueNames);
        QCOMPARE(subValueNames->size(), 32767);
        QCOMPARE(subValueNames->last(), QStringLiteral("v32766"));

        store.putValue(Hkcu, "A", "v32767", Store::REG_SZ, QByteArray());
        QVERIFY_THROWS_EXCEPTION(std::overflow_error, key.ValueNames());
    }

    void deleteKeyNeedsNoHeldKey()
    {
        Store store;
        store.putKey(Hkcu, "A\\B");
        RegistryKey key(store);
        key.DeleteKey(Hkcu, QStringLiteral("a\\b"));
        QVERIFY(!store.hasKey(Hkcu, "A\\B"));
        QVERIFY(store.hasKey(Hkcu, "A"));
        QCOMPARE(key.handle(), 0u);
    }

    void deletions()
    {
        Store store;
        store.putValue(Hkcu, "A\\B", "v", Store::REG_SZ, QByteArray());
        store.putValue(Hkcu, "A", "v", Store::REG_SZ, QByteArray());
        RegistryKey key(store);
        key.OpenKey(Hkcu, QStringLiteral("A"), Store::KEY_ALL_ACCESS);
        key.DeleteValue(QStringLiteral("V"));
        QVERIFY(!store.storedValue(Hkcu, "A", "v"));
        key.DeleteSubKey(QStringLiteral("B"));
        QVERIFY(!store.hasKey(Hkcu, "A\\B"));
        QVERIFY(store.hasKey(Hkcu, "A"));
    }

    void deletionErrors()
    {
        Store store;
        store.putKey(Hkcu, "A\\B");
        RegistryKey key(store);
        QCOMPARE(describe(raised([&] { key.DeleteKey(Hkcu, QStringLiteral("Absent")); })),
                 QStringLiteral("2 | RegistryKey.DeleteKey | Unable to delete registry key 'Absent'"));
        QCOMPARE(describe(raised([&] { key.DeleteKey(Hkcu, QStringLiteral("A")); })),
                 QStringLiteral("5 | RegistryKey.DeleteKey | Unable to delete registry key 'A'"));
        QCOMPARE(describe(raised([&] { key.DeleteSubKey(QStringLiteral("B")); })),
                 QStringLiteral("6 | RegistryKey.DeleteSubKey | Unable to delete registry subkey 'B'"));
        QCOMPARE(describe(raised([&] { key.DeleteValue(QStringLiteral("v")); })),
                 QStringLiteral("6 | RegistryKey.DeleteValue | Unable to delete registry value 'v'"));
        key.OpenKey(Hkcu, QStringLiteral("A"), Store::KEY_ALL_ACCESS);
        QCOMPARE(describe(raised([&] { key.DeleteValue(QStringLiteral("v")); })),
                 QStringLiteral("2 | RegistryKey.DeleteValue | Unable to delete registry value 'v'"));
        QVERIFY(store.hasKey(Hkcu, "A\\B"));
    }

    void keyDeletedWhileHeld()
    {
        Store store;
        store.putValue(Hkcu, "A", "v", Store::REG_SZ, bytes("x\0", 2));
        RegistryKey held(store);
        held.OpenKey(Hkcu, QStringLiteral("A"), Store::KEY_READ);
        RegistryKey(store).DeleteKey(Hkcu, QStringLiteral("A"));
        QCOMPARE(held.value(QStringLiteral("v")), QString());
        QCOMPARE(held.absorbedError()->number(), Store::ERROR_KEY_DELETED);
        held.CloseKey();
        QCOMPARE(store.openHandleCount(), 0);
    }
};

QTEST_GUILESS_MAIN(TestRegistryKey)
#include "tst_registrykey.moc"
