#include "Services/UsageTokenSources.h"

#include "Foundation/BackgroundWork.h"
#include "Foundation/WhileAlive.h"
#include "Services/KeychainService.h"

#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPointer>
#include <QStringDecoder>
#include <QtConcurrent>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <memory>

namespace UsageTokenSources {

namespace {

std::optional<QString> tokenInJson(const QByteArray& json) {
    const QJsonValue token =
        QJsonDocument::fromJson(json).object().value(u"claudeAiOauth").toObject().value(u"accessToken");
    return token.isString() ? std::optional(token.toString()) : std::nullopt;
}

int hexDigit(QChar c) {
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (u >= u'a' && u <= u'f')
        return u - u'a' + 10;
    if (u >= u'A' && u <= u'F')
        return u - u'A' + 10;
    return -1;
}

// The assistant's status: the file's, unless the file is absent, then the keyring's.
qint32 assistantStatus(qint32 fileStatus, qint32 keyringStatus) {
    return fileStatus == SecretStatus::itemNotFound ? keyringStatus : fileStatus;
}

bool usable(const std::optional<QString>& token) {
    return token && !token->isEmpty();
}

struct FileDescriptor {
    int fd;
    ~FileDescriptor() {
        if (fd >= 0)
            ::close(fd);
    }
};

// One pass through the sources; each step hands over to the next on the GUI thread. The steps come back
// through the application object, which outlives them (Qt 6.4 asserts when a continuation's context is gone
// before the work ends), and end quietly once the caller's context is gone.
struct Search : std::enable_shared_from_this<Search> {
    QPointer<QObject> context;
    std::function<void(const TokenRead&)> done;
    qint32 fileStatus = SecretStatus::itemNotFound;

    void start() {
        auto self = shared_from_this();
        QtConcurrent::run(&backgroundWork(), [] {
            return readCredentialsFile(credentialsFilePath());
        }).then(answerContext(), [self](const SecretLookup& file) { self->afterFile(file); });
    }

    void afterFile(const SecretLookup& file) {
        if (!context)
            return;
        fileStatus = file.status;
        if (const auto token = file.secret ? extractAccessToken(*file.secret) : std::nullopt; usable(token))
            return done({token, fileStatus});
        auto self = shared_from_this();
        KeychainService::readForeignItemAsync(assistantService, answerContext(),
                                              [self](const SecretLookup& item) { self->afterKeyring(item); });
    }

    void afterKeyring(const SecretLookup& item) {
        if (!context)
            return;
        const qint32 status = assistantStatus(fileStatus, item.status);
        if (const auto token = item.secret ? extractAccessToken(*item.secret) : std::nullopt; usable(token))
            return done({token, status});
        KeychainService::loadAsync(manualTokenKey, context,
                                   [done = done, status](const KeychainRead& manual) {
                                       done({usable(manual.value) ? manual.value : std::nullopt, status});
                                   });
    }
};

} // namespace

std::optional<QByteArray> decodeHex(QStringView text) {
    if (text.startsWith(u"0x") || text.startsWith(u"0X"))
        text = text.mid(2);
    if (text.size() % 2 != 0)
        return std::nullopt;
    QByteArray bytes;
    bytes.reserve(text.size() / 2);
    for (qsizetype i = 0; i < text.size(); i += 2) {
        const int high = hexDigit(text[i]), low = hexDigit(text[i + 1]);
        if (high < 0 || low < 0)
            return std::nullopt;
        bytes.append(char(high * 16 + low));
    }
    return bytes;
}

std::optional<QString> extractAccessToken(const QByteArray& data) {
    if (auto token = tokenInJson(data))
        return token;
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decoder(data);
    if (decoder.hasError())
        return std::nullopt;
    const std::optional<QByteArray> json = decodeHex(QStringView(text).trimmed());
    return json ? tokenInJson(*json) : std::nullopt;
}

QString credentialsFilePath() {
    QString folder = qEnvironmentVariable("CLAUDE_CONFIG_DIR");
    if (folder.isEmpty())
        folder = QDir::home().filePath(QStringLiteral(".claude"));
    return QDir(folder).filePath(QStringLiteral(".credentials.json"));
}

SecretLookup readCredentialsFile(const QString& path) {
    // Non-blocking open: a FIFO with no writer must not hold the reader.
    const FileDescriptor file{::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC)};
    if (file.fd < 0) {
        const bool absent = errno == ENOENT || errno == ENOTDIR;
        return {absent ? SecretStatus::itemNotFound : SecretStatus::authFailed, std::nullopt};
    }
    struct stat info {};
    if (::fstat(file.fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_uid != ::geteuid() ||
        info.st_size > maxCredentialsFileBytes)
        return {SecretStatus::success, std::nullopt};
    QByteArray data(maxCredentialsFileBytes + 1, Qt::Uninitialized);
    qsizetype filled = 0;
    while (filled < data.size()) {
        const ssize_t got = ::read(file.fd, data.data() + filled, size_t(data.size() - filled));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return {SecretStatus::authFailed, std::nullopt};
        if (got == 0)
            break;
        filled += got;
    }
    if (filled > maxCredentialsFileBytes) // grew while being read
        return {SecretStatus::success, std::nullopt};
    data.truncate(filled);
    return {SecretStatus::success, data};
}

void read(QObject* context, std::function<void(const TokenRead&)> done) {
    auto search = std::make_shared<Search>();
    search->context = context;
    search->done = std::move(done);
    search->start();
}

} // namespace UsageTokenSources
