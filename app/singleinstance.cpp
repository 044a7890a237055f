#include "app/singleinstance.h"

#include <QCryptographicHash>
#include <QThread>

namespace kovalt {
namespace {
constexpr int claimAttempts = 50;
} // namespace

SingleInstance::SingleInstance(const QString& programFilePath, QObject* parent)
    : QObject(parent), m_key(KeyFor(programFilePath, CurrentUserId()))
{
}

SingleInstance::~SingleInstance() = default;

QString SingleInstance::KeyFor(const QString& programFilePath, const QString& userId)
{
    const QByteArray id = programFilePath.toLower().toUtf8() + '\0' + userId.toUtf8();
    return QStringLiteral("kovalt05-") +
           QString::fromLatin1(QCryptographicHash::hash(id, QCryptographicHash::Sha256).toHex().left(32));
}

bool SingleInstance::claim()
{
    // An instance that is starting or ending may neither listen nor answer for a moment: retry.
    for (int attempt = 0; attempt < claimAttempts; ++attempt) {
        if (listen())
            return true;
        if (askRunning())
            return false;
        QThread::msleep(20);
    }
    // Neither claimed nor answered: better a second bar than none.
    return true;
}

} // namespace kovalt
