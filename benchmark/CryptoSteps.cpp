// Encrypted books beside the enciphered ones: the key derivation alone, and
// the open and save of the same book in both forms.

#include <QFile>

#include "Bench.h"
#include "store/BookCrypto.h"
#include "store/DataStore.h"

namespace bench {

namespace {

const QString kPassword = QStringLiteral("Bench Password 1");

// Answers the login window with the password, as a user would at once.
class LoginHost final : public qb::StoreHost
{
public:
    void setStatusFile(const QString&) override { }
    void setMainCaption(const QString&) override { }
    void showDataMenus(bool) override { }
    void closeDataWindows() override { }
    void showBookError(const qb::BookError&) override { }
    bool askPassword(const QString&, const std::function<bool(const QString&)>& matches) override
    {
        return matches(kPassword);
    }
};

LoginHost& loginHost()
{
    static LoginHost host;
    return host;
}

// The bench book encrypted with the default key costs, beside it.
bool writeEncryptedCopy(Context& c, QString* path, QString* why)
{
    *path = c.folder + QStringLiteral("/encrypted.qbf");
    QFile::remove(*path);
    QFile::remove(*path + QStringLiteral(".bak"));
    const QByteArray text = qb::ReadDataFileBytes(c.book);
    const std::shared_ptr<qb::BookKey> key = qb::BookKey::create(kPassword, why);
    if (text.isEmpty() || !key)
        return false;
    QFile file(*path);
    const QByteArray bytes = key->encrypt(text.constData(), text.size());
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
        *why = QStringLiteral("cannot write the encrypted book");
        return false;
    }
    return true;
}

} // namespace

std::vector<Step> cryptoSteps()
{
    std::vector<Step> steps;
    steps.push_back(Step {QStringLiteral("key-derive"), {},
        QStringLiteral("Argon2id key derivation with the default costs (once per open)"),
        [](Context&, QString*) { return true; }, {},
        [](Context&) { return qb::BookKey::create(kPassword) != nullptr; }});
    steps.push_back(Step {QStringLiteral("store-open-encrypted"), {QStringLiteral("store-open")},
        QStringLiteral("OpenDataFile of the encrypted book: header, key derivation, "
                       "decrypt, parse"),
        [](Context& c, QString* why) {
            auto path = std::make_shared<QString>();
            c.state = path;
            bench::bookStore().setHost(&loginHost());
            return writeEncryptedCopy(c, path.get(), why);
        },
        [](Context&) { bench::bookStore().CloseDocument(); },
        [](Context& c) {
            return bench::bookStore().OpenDataFile(*static_cast<QString*>(c.state.get()));
        }});
    steps.push_back(Step {QStringLiteral("store-save-encrypted"), {QStringLiteral("store-save")},
        QStringLiteral("SaveDocument of the encrypted book (key kept): serialize, encrypt, "
                       "synced write, rotate to .bak"),
        [](Context& c, QString* why) {
            QString path;
            qb::DataStore& store = bench::bookStore();
            store.setSyncOnSave(true);
            store.setHost(&loginHost());
            if (!writeEncryptedCopy(c, &path, why))
                return false;
            if (!store.OpenDataFile(path) || !store.isEncrypted()) {
                *why = QStringLiteral("the store does not open the encrypted book");
                return false;
            }
            return true;
        },
        {}, [](Context&) { return bench::bookStore().SaveDocument(); }});
    return steps;
}

} // namespace bench
