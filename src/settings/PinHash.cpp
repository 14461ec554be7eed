#include "PinHash.h"

#include <QCryptographicHash>
#include <QMessageAuthenticationCode>
#include <QRandomGenerator>
#include <QStringList>

namespace {

const QLatin1String kScheme("pbkdf2-sha256");
constexpr int kSaltBytes = 16;
constexpr int kHashBytes = 32;

struct Parsed
{
    int iterations = 0;
    QByteArray salt;
    QByteArray hash;
};

bool parse(const QString &stored, Parsed *parsed)
{
    const QStringList parts = stored.split(u':');
    if (parts.size() != 4 || parts.at(0) != kScheme)
        return false;
    bool ok = false;
    parsed->iterations = parts.at(1).toInt(&ok, 10);
    if (!ok || parsed->iterations < 1 || parsed->iterations > PinHash::kMostIterations)
        return false;
    const auto strict = QByteArray::AbortOnBase64DecodingErrors;
    const auto salt = QByteArray::fromBase64Encoding(parts.at(2).toLatin1(), strict);
    const auto hash = QByteArray::fromBase64Encoding(parts.at(3).toLatin1(), strict);
    if (!salt || !hash || salt.decoded.isEmpty() || hash.decoded.size() != kHashBytes)
        return false;
    parsed->salt = salt.decoded;
    parsed->hash = hash.decoded;
    return true;
}

// PBKDF2-HMAC-SHA256 (RFC 8018) for one block, all the 32 bytes the lock stores. Written on
// Qt Core's HMAC so that the launcher need not load Qt Network and its TLS libraries at start.
QByteArray derive(const QString &pin, const QByteArray &salt, int iterations)
{
    QMessageAuthenticationCode hmac(QCryptographicHash::Sha256, pin.toUtf8());
    const char firstBlock[] = {0, 0, 0, 1};
    hmac.addData(salt);
    hmac.addData(firstBlock, sizeof firstBlock);
    QByteArray link = hmac.result();
    QByteArray key = link;
    for (int round = 1; round < iterations; ++round) {
        hmac.reset();
        hmac.addData(link);
        link = hmac.result();
        for (int i = 0; i < kHashBytes; ++i)
            key[i] = static_cast<char>(key.at(i) ^ link.at(i));
    }
    return key;
}

// Every byte is compared, so that how long a wrong PIN takes says nothing of how close it was.
bool sameBytes(const QByteArray &a, const QByteArray &b)
{
    if (a.size() != b.size())
        return false;
    unsigned char difference = 0;
    for (qsizetype i = 0; i < a.size(); ++i)
        difference |= static_cast<unsigned char>(a.at(i) ^ b.at(i));
    return difference == 0;
}

} // namespace

QString PinHash::make(const QString &pin)
{
    QByteArray salt(kSaltBytes, Qt::Uninitialized);
    QRandomGenerator::system()->generate(salt.begin(), salt.end());
    return make(pin, salt, kIterations);
}

QString PinHash::make(const QString &pin, const QByteArray &salt, int iterations)
{
    return kScheme + u':' + QString::number(iterations) + u':' + QString::fromLatin1(salt.toBase64()) + u':'
        + QString::fromLatin1(derive(pin, salt, iterations).toBase64());
}

bool PinHash::matches(const QString &pin, const QString &stored)
{
    Parsed parsed;
    if (!parse(stored, &parsed))
        return false;
    return sameBytes(derive(pin, parsed.salt, parsed.iterations), parsed.hash);
}

bool PinHash::isWellFormed(const QString &stored)
{
    Parsed parsed;
    return parse(stored, &parsed);
}

bool PinHash::isAcceptablePin(const QString &pin)
{
    if (pin.size() < kShortestPin || pin.size() > kLongestPin)
        return false;
    for (QChar c : pin) {
        if (c < u'0' || c > u'9')
            return false;
    }
    return true;
}
