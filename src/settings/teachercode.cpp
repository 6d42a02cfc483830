#include "settings/teachercode.h"

#include "settings/store.h"

#include <QCryptographicHash>
#include <QMessageAuthenticationCode>
#include <QRandomGenerator>
#include <QStringList>

#include <optional>

namespace {

const QString Algorithm = QStringLiteral("pbkdf2-sha256");
constexpr int KeyLength = 32;
constexpr int SaltLength = 16;

// A code typed with a composed "é" and one typed with "e" and a combining accent are the same code.
QByteArray bytesOf(const QString &code)
{
    return code.normalized(QString::NormalizationForm_C).toUtf8();
}

// PBKDF2 with HMAC-SHA256 (RFC 8018), on Qt Core's HMAC: Qt Network's QPasswordDigestor computes the same,
// but linking Qt Network loaded it and eight libraries of its own (Kerberos, libproxy) at every start.
QByteArray derived(const QString &code, const QByteArray &salt, int iterations)
{
    QMessageAuthenticationCode hmac(QCryptographicHash::Sha256, bytesOf(code));
    QByteArray key;
    for (quint32 block = 1; key.size() < KeyLength; ++block) {
        const char index[4] = {char(block >> 24), char(block >> 16), char(block >> 8), char(block)};
        hmac.reset();
        hmac.addData(salt);
        hmac.addData(index, sizeof index);
        QByteArray round = hmac.result();
        QByteArray sum = round;
        for (int i = 1; i < iterations; ++i) {
            hmac.reset();
            hmac.addData(round);
            round = hmac.result();
            for (qsizetype j = 0; j < sum.size(); ++j)
                sum[j] = char(sum[j] ^ round[j]);
        }
        key += sum;
    }
    return key.left(KeyLength);
}

QByteArray fromBase64(const QString &text)
{
    const auto decoded =
        QByteArray::fromBase64Encoding(text.toLatin1(), QByteArray::AbortOnBase64DecodingErrors);
    return decoded ? *decoded : QByteArray();
}

// The parts of a stored value of state Set.
struct Parts {
    int iterations = 0;
    QByteArray salt;
    QByteArray key;
};

std::optional<Parts> partsOf(const QString &stored)
{
    const QStringList fields = stored.trimmed().split(u'$');
    if (fields.size() != 4 || fields[0] != Algorithm)
        return std::nullopt;
    bool ok = false;
    Parts parts{fields[1].toInt(&ok), fromBase64(fields[2]), fromBase64(fields[3])};
    // A count out of range is damage, and an enormous one would freeze the window that checks it.
    if (!ok || parts.iterations < TeacherCode::MinIterations ||
        parts.iterations > TeacherCode::MaxIterations || parts.salt.isEmpty() ||
        parts.key.size() != KeyLength)
        return std::nullopt;
    return parts;
}

bool sameInConstantTime(const QByteArray &a, const QByteArray &b)
{
    if (a.size() != b.size())
        return false;
    unsigned char difference = 0;
    for (qsizetype i = 0; i < a.size(); ++i)
        difference |= static_cast<unsigned char>(a[i] ^ b[i]);
    return difference == 0;
}

QString storedValue()
{
    return Store::read(Store::Configuration, TeacherCode::Section, TeacherCode::Key, QString());
}

} // namespace

namespace TeacherCode {

QString hashed(const QString &code, const QByteArray &salt, int iterations)
{
    return QStringList{Algorithm, QString::number(iterations), QString::fromLatin1(salt.toBase64()),
                       QString::fromLatin1(derived(code, salt, iterations).toBase64())}
        .join(u'$');
}

State stateOf(const QString &stored)
{
    if (stored.trimmed().isEmpty())
        return State::None;
    return partsOf(stored) ? State::Set : State::Damaged;
}

bool matchesStored(const QString &code, const QString &stored)
{
    const std::optional<Parts> parts = partsOf(stored);
    return parts && sameInConstantTime(derived(code, parts->salt, parts->iterations), parts->key);
}

QString problem(const QString &code)
{
    if (code.trimmed().size() < 4)
        return QStringLiteral("Le code doit avoir au moins 4 caractères.");
    return QString();
}

State state()
{
    return stateOf(storedValue());
}

bool matches(const QString &code)
{
    return matchesStored(code, storedValue());
}

bool set(const QString &code)
{
    QByteArray salt(SaltLength, Qt::Uninitialized);
    QRandomGenerator::system()->fillRange(reinterpret_cast<quint32 *>(salt.data()), SaltLength / 4);
    return Store::write(Store::Configuration, Section, Key, hashed(code, salt));
}

bool remove()
{
    return Store::remove(Store::Configuration, Section, Key);
}

} // namespace TeacherCode
