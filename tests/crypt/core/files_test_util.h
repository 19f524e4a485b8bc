// Helpers for the container and file-operation tests: a scripted FileOpsUi,
// files on disk, and containers built by hand, byte by byte, as the format
// lays them out (independent of the writer under test).
#pragma once

#include <QByteArray>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <deque>
#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <optional>
#include <span>
#include <vector>
#include <zlib.h>

#include "common/catalogue.h"
#include "common/lang.h"
#include "crypt/cipher/passphrase_key.h"
#include "crypt/cipher/rijndael.h"
#include "crypt/core/file_ops_ui.h"
#include "crypt/core/trailer.h"

// Readable failure output for texts.
inline void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}

namespace kuvo::test {

inline void useCryptCatalogueEnglish()
{
    setActiveCatalogue(Catalogue::fromResource(QStringLiteral(":/catalogue/crypt.tsv")));
    LangOffset = kOffsetEnglish;
}

inline CipherKey keyOf(const char16_t* passphrase)
{
    return *PassphraseToKey(passphrase);
}

class FakeUi : public FileOpsUi {
public:
    QStringList errors;
    QStringList lightLog; // "progress:RYG" on every change of the lamps
    QStringList questions;
    std::deque<OverwriteChoice> overwriteAnswers;
    std::deque<QString> saveAsAnswers;
    std::function<void()> onYield;
    int yields = 0;
    int progressValue = 0;
    int progressMaximum = -1;
    QString lamps;

    void overallProgress(int value, int maximum) override
    {
        progressValue = value;
        progressMaximum = maximum;
    }
    std::function<void(int)> onEntryProgress;
    void entryProgress(int value, int) override
    {
        if (onEntryProgress)
            onEntryProgress(value);
    }
    void lights(bool red, bool yellow, bool green) override
    {
        QString state;
        if (red)
            state += 'R';
        if (yellow)
            state += 'Y';
        if (green)
            state += 'G';
        if (state == lamps && !lightLog.isEmpty())
            return;
        lamps = state;
        lightLog << QString::number(progressValue) + ':' + state;
    }
    void showError(const QString& text) override { errors << text; }
    OverwriteChoice askOverwrite(const QString&, const QString& question) override
    {
        questions << question;
        if (overwriteAnswers.empty())
            return OverwriteChoice::Skip;
        const OverwriteChoice c = overwriteAnswers.front();
        overwriteAnswers.pop_front();
        return c;
    }
    QString askSaveAs(const QString&, const QString&) override
    {
        if (saveAsAnswers.empty())
            return {};
        const QString s = saveAsAnswers.front();
        saveAsAnswers.pop_front();
        return s;
    }
    QStringList started;
    void entryStarted(int, const QString& path) override { started << path; }
    void yield() override
    {
        ++yields;
        if (onYield)
            onYield();
    }
};

inline void writeFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    ASSERT_EQ(f.write(bytes), bytes.size());
}

inline QByteArray readFile(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray("<missing>");
    return f.readAll();
}

// Deterministic bytes: random-looking (incompressible) or text-like.
inline QByteArray noise(qsizetype size, std::uint32_t seed)
{
    QByteArray out(size, Qt::Uninitialized);
    std::uint32_t x = seed * 2654435761u + 1;
    for (qsizetype i = 0; i < size; ++i) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        out[i] = char(x);
    }
    return out;
}

inline QByteArray prose(qsizetype size, std::uint32_t seed)
{
    static const char* words[] = {"alpha ", "beta ", "gamma ", "delta\n", "kuvo ", "container ", "block "};
    QByteArray out;
    std::uint32_t x = seed + 7;
    while (out.size() < size) {
        x = x * 1103515245u + 12345u;
        out += words[(x >> 16) % 7];
    }
    out.truncate(size);
    return out;
}

// Everything below the folder, as "relative path -> content".
inline std::map<QString, QByteArray> treeOf(const QString& folder)
{
    std::map<QString, QByteArray> tree;
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        tree[QDir(folder).relativeFilePath(path)] = readFile(path);
    }
    return tree;
}

inline Bytes toBytes(const QByteArray& a)
{
    return Bytes(a.begin(), a.end());
}

inline void putLe32(Bytes& out, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(std::uint8_t(v >> (8 * i)));
}

inline std::uint32_t le32(const std::uint8_t* p)
{
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 |
           std::uint32_t(p[3]) << 24;
}

// A compressed block as the format defines it; claimed overrides the length field.
inline Bytes block(const QByteArray& content, std::optional<std::uint32_t> claimed = std::nullopt)
{
    uLongf room = compressBound(uLong(content.size()));
    Bytes z(room);
    EXPECT_EQ(
        compress(z.data(), &room, reinterpret_cast<const Bytef*>(content.constData()), uLong(content.size())),
        Z_OK);
    z.resize(room);
    Bytes out;
    putLe32(out, 1234567890);
    putLe32(out, claimed.value_or(std::uint32_t(content.size())));
    out.insert(out.end(), z.begin(), z.end());
    return out;
}

// Builds a container record by record with its own cipher object.
class ContainerBuilder {
public:
    explicit ContainerBuilder(const CipherKey& key) { cipher.EncryptPrepareKey(key); }

    // One entry: the first piece holds filler, flag, name and firstBody; each
    // further body is a continuation piece on the same cipher chain.
    void entry(const QByteArray& name, std::uint8_t flag, const Bytes& firstBody,
               const std::vector<Bytes>& more = {})
    {
        Bytes plain(32, 0x5A);
        plain.push_back(flag);
        plain.push_back(std::uint8_t(name.size()));
        plain.insert(plain.end(), name.begin(), name.end());
        plain.insert(plain.end(), firstBody.begin(), firstBody.end());
        std::uint32_t size = piece(*cipher.EncryptDo(plain, false));
        for (const Bytes& body : more)
            size += piece(*cipher.EncryptDo(body, true));
        sizes.push_back(size);
    }
    void file(const QByteArray& name, const QByteArray& content)
    {
        if (content.isEmpty())
            entry(name, 99, {});
        else {
            const Bytes b = block(content);
            entry(name, std::uint8_t(b.size() % 32), b);
        }
    }
    void missing() { sizes.push_back(0); }
    Bytes finish() const
    {
        Bytes out = records;
        const auto trailer = container::EncodeTrailer(sizes);
        out.insert(out.end(), trailer.begin(), trailer.end());
        return out;
    }
    void save(const QString& path) const
    {
        const Bytes b = finish();
        writeFile(path, QByteArray(reinterpret_cast<const char*>(b.data()), qsizetype(b.size())));
    }

    CRijndael cipher;
    Bytes records;
    std::vector<std::uint32_t> sizes;

private:
    std::uint32_t piece(const Bytes& ct)
    {
        putLe32(records, std::uint32_t(ct.size() - 1));
        records.insert(records.end(), ct.begin(), ct.end());
        return std::uint32_t(ct.size() + 4);
    }
};

// Reads a container the way the format's first readers do: the trailer, then
// each entry's first piece decrypted whole and its block given to uncompress
// with the claimed length. Returns name -> content.
struct PlainEntry {
    QByteArray name;
    std::uint8_t flag = 0;
    QByteArray content;
    bool blockOk = false;
};

inline std::vector<PlainEntry> readLikeOriginal(const QByteArray& file, const CipherKey& key)
{
    std::vector<PlainEntry> out;
    const auto bytes = std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(file.constData()),
                                                     std::size_t(file.size()));
    const auto trailer = container::DecodeTrailer(bytes);
    EXPECT_EQ(trailer.status, container::TrailerStatus::Ok);
    CRijndael cipher;
    cipher.EncryptPrepareKey(key);
    std::size_t pos = 0;
    for (std::uint32_t size : trailer.entrySizes) {
        if (size == 0)
            continue;
        const std::uint32_t n = le32(bytes.data() + pos);
        const auto plain = cipher.DecryptDo(bytes.subspan(pos + 4, std::size_t(n) + 1), false);
        PlainEntry e;
        e.flag = (*plain)[32];
        const std::size_t L = (*plain)[33];
        e.name = QByteArray(reinterpret_cast<const char*>(plain->data() + 34), qsizetype(L));
        const std::size_t blockAt = 34 + L;
        if (plain->size() > blockAt + 8 && le32(plain->data() + blockAt) == 1234567890) {
            uLongf length = le32(plain->data() + blockAt + 4);
            QByteArray content(qsizetype(length), '\0');
            e.blockOk = uncompress(reinterpret_cast<Bytef*>(content.data()), &length,
                                   plain->data() + blockAt + 8, uLong(plain->size() - blockAt - 8)) == Z_OK;
            content.truncate(qsizetype(length));
            e.content = content;
        }
        out.push_back(e);
        pos += size;
    }
    return out;
}

} // namespace kuvo::test
