#include "Platform/Preferences/JsonPreferences.h"

#include "Foundation/AppPaths.h"
#include "Foundation/RegularFile.h"

#include <QDateTime>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

#include <cmath>
#include <limits>
#include <optional>

namespace {

const QString formatName = QStringLiteral("tavimor-preferences");
constexpr int formatVersion = 1;

const QString typeBool = QStringLiteral("bool");
const QString typeInteger = QStringLiteral("integer");
const QString typeDouble = QStringLiteral("double");
const QString typeText = QStringLiteral("text");
const QString typeTextList = QStringLiteral("textList");
const QString typeBytes = QStringLiteral("bytes");

std::optional<QStringList> asTextList(const QVariant& value) {
    if (value.typeId() == QMetaType::QStringList)
        return value.toStringList();
    if (value.typeId() != QMetaType::QVariantList)
        return std::nullopt;
    QStringList texts;
    for (const QVariant& element : value.toList()) {
        if (element.typeId() != QMetaType::QString)
            return std::nullopt;
        texts.append(element.toString());
    }
    return texts;
}

// Brings a value to one of the six stored types: bool, qint64, double, QString, QStringList, QByteArray.
std::optional<QVariant> normalized(const QVariant& value) {
    switch (value.typeId()) {
    case QMetaType::Bool:
    case QMetaType::QString:
    case QMetaType::QByteArray:
        return value;
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Long:
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::UChar:
        return QVariant(value.toLongLong());
    case QMetaType::ULongLong:
    case QMetaType::ULong:
        if (value.toULongLong() > quint64(std::numeric_limits<qint64>::max()))
            return std::nullopt;
        return QVariant(value.toLongLong());
    case QMetaType::Double:
    case QMetaType::Float:
        return QVariant(value.toDouble());
    default:
        if (std::optional<QStringList> texts = asTextList(value))
            return QVariant(*texts);
        return std::nullopt;
    }
}

bool sameStoredValue(const QVariant& a, const QVariant& b) {
    if (a.typeId() != b.typeId())
        return false;
    if (a.typeId() == QMetaType::Double) // NaN equals NaN here: rewriting it is no change
        return std::isnan(a.toDouble()) ? std::isnan(b.toDouble()) : a.toDouble() == b.toDouble();
    return a == b;
}

QJsonValue encodedDouble(double number) {
    if (std::isfinite(number))
        return number;
    if (std::isnan(number))
        return QStringLiteral("nan");
    return number > 0 ? QStringLiteral("inf") : QStringLiteral("-inf");
}

std::optional<double> decodedDouble(const QJsonValue& value) {
    if (value.isDouble())
        return value.toDouble();
    const QString text = value.toString();
    if (text == QLatin1String("nan"))
        return std::numeric_limits<double>::quiet_NaN();
    if (text == QLatin1String("inf"))
        return std::numeric_limits<double>::infinity();
    if (text == QLatin1String("-inf"))
        return -std::numeric_limits<double>::infinity();
    return std::nullopt;
}

QJsonObject encodedEntry(const QVariant& value) {
    QJsonObject entry;
    switch (value.typeId()) {
    case QMetaType::Bool:
        entry = {{QStringLiteral("type"), typeBool}, {QStringLiteral("value"), value.toBool()}};
        break;
    case QMetaType::LongLong:
        entry = {{QStringLiteral("type"), typeInteger}, {QStringLiteral("value"), value.toLongLong()}};
        break;
    case QMetaType::Double:
        entry = {{QStringLiteral("type"), typeDouble},
                 {QStringLiteral("value"), encodedDouble(value.toDouble())}};
        break;
    case QMetaType::QString:
        entry = {{QStringLiteral("type"), typeText}, {QStringLiteral("value"), value.toString()}};
        break;
    case QMetaType::QStringList:
        entry = {{QStringLiteral("type"), typeTextList},
                 {QStringLiteral("value"), QJsonArray::fromStringList(value.toStringList())}};
        break;
    default:
        entry = {{QStringLiteral("type"), typeBytes},
                 {QStringLiteral("value"), QString::fromLatin1(value.toByteArray().toBase64())}};
        break;
    }
    return entry;
}

std::optional<QStringList> decodedTextList(const QJsonValue& value) {
    if (!value.isArray())
        return std::nullopt;
    QStringList texts;
    for (const QJsonValue& element : value.toArray()) {
        if (!element.isString())
            return std::nullopt;
        texts.append(element.toString());
    }
    return texts;
}

std::optional<QByteArray> decodedBytes(const QJsonValue& value) {
    if (!value.isString())
        return std::nullopt;
    const auto result =
        QByteArray::fromBase64Encoding(value.toString().toLatin1(), QByteArray::AbortOnBase64DecodingErrors);
    if (!result)
        return std::nullopt;
    return result.decoded;
}

std::optional<QVariant> decodedEntry(const QJsonValue& entryValue) {
    const QJsonObject entry = entryValue.toObject();
    const QString type = entry.value(QStringLiteral("type")).toString();
    const QJsonValue value = entry.value(QStringLiteral("value"));
    if (type == typeBool && value.isBool())
        return QVariant(value.toBool());
    if (type == typeInteger && value.isDouble() && value.toDouble() == std::trunc(value.toDouble()))
        return QVariant(value.toInteger());
    if (type == typeDouble)
        if (std::optional<double> number = decodedDouble(value))
            return QVariant(*number);
    if (type == typeText && value.isString())
        return QVariant(value.toString());
    if (type == typeTextList)
        if (std::optional<QStringList> texts = decodedTextList(value))
            return QVariant(*texts);
    if (type == typeBytes)
        if (std::optional<QByteArray> bytes = decodedBytes(value))
            return QVariant(*bytes);
    return std::nullopt;
}

} // namespace

JsonPreferences::JsonPreferences(const QString& filePath, DegradedReporter reportProblem, QObject* parent)
    : IPreferences(parent)
    , path(filePath)
    , report(std::move(reportProblem)) {
    if (!report) {
        report = [](const QString& component, const QString& reason, const QString& impact) {
            qWarning().noquote() << component << "-" << reason << "-" << impact;
        };
    }
    writeTimer.setSingleShot(true);
    writeTimer.setInterval(writeDelayMs);
    connect(&writeTimer, &QTimer::timeout, this, &JsonPreferences::flush);
    load();
}

JsonPreferences::JsonPreferences(DegradedReporter report, QObject* parent)
    : JsonPreferences(AppPaths::preferencesFile(), std::move(report), parent) {}

JsonPreferences::~JsonPreferences() {
    flush();
}

void JsonPreferences::setValue(const QString& key, const QVariant& value) {
    if (!value.isValid()) {
        remove(key);
        return;
    }
    const std::optional<QVariant> stored = normalized(value);
    if (!stored) {
        qWarning() << "Preferences: refusing to store a value of type" << value.typeName() << "under" << key;
        return;
    }
    const auto existing = values.constFind(key);
    if (existing != values.constEnd() && sameStoredValue(*existing, *stored))
        return;
    values.insert(key, *stored);
    scheduleWrite();
    Q_EMIT changed(key);
}

void JsonPreferences::remove(const QString& key) {
    if (values.remove(key) == 0)
        return;
    scheduleWrite();
    Q_EMIT changed(key);
}

void JsonPreferences::scheduleWrite() {
    unwritten = true;
    if (!originalUnreadable)
        writeTimer.start();
}

void JsonPreferences::flush() {
    writeTimer.stop();
    if (!unwritten || originalUnreadable)
        return;
    if (const std::optional<QString> failure = write()) {
        reportOnce(failure.value(), QStringLiteral("as mudanças ficam só na memória até a próxima gravação"));
        return;
    }
    unwritten = false;
    reportedReasons.clear();
}

void JsonPreferences::reportOnce(const QString& reason, const QString& impact) {
    if (reportedReasons.contains(reason))
        return;
    reportedReasons.insert(reason);
    report(QStringLiteral("Preferências"), reason, impact);
}

void JsonPreferences::load() {
    RegularFile file(path);
    if (!file.exists())
        return;
    const auto bytes = file.size() <= maxFileBytes ? file.read(maxFileBytes + 1) : std::nullopt;
    if (!bytes || bytes->size() > maxFileBytes) {
        originalUnreadable = true;
        const QString why = file.isOpen() && file.size() > maxFileBytes
                                ? QStringLiteral("maior que %1 bytes").arg(maxFileBytes)
                                : file.error();
        reportOnce(QStringLiteral("não foi possível ler %1 (%2)").arg(path, why),
                   QStringLiteral("valem os padrões; o arquivo fica como está e as mudanças desta sessão não "
                                  "são gravadas"));
        return;
    }
    const QJsonDocument document = QJsonDocument::fromJson(*bytes);
    const QJsonObject root = document.object();
    if (root.value(QStringLiteral("format")).toString() != formatName ||
        root.value(QStringLiteral("version")).toInt() != formatVersion ||
        !root.value(QStringLiteral("values")).isObject()) {
        qWarning() << "Preferences:" << path
                   << "is not a preferences file we can read - starting from the defaults";
        originalNeedsKeepingAside = true;
        return;
    }
    const QJsonObject entries = root.value(QStringLiteral("values")).toObject();
    for (auto it = entries.begin(); it != entries.end(); ++it) {
        if (std::optional<QVariant> value = decodedEntry(it.value())) {
            values.insert(it.key(), *value);
        } else {
            qWarning() << "Preferences: skipping the unreadable entry" << it.key() << "in" << path;
            originalNeedsKeepingAside = true;
        }
    }
}

std::optional<QString> JsonPreferences::moveUnreadableOriginalAside() {
    if (!QFileInfo::exists(path))
        return std::nullopt;
    const QString stamp = QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMdd'T'HHmmsszzz'Z'"));
    QString aside = path + QStringLiteral(".corrupt-") + stamp;
    for (int attempt = 1; QFileInfo::exists(aside); ++attempt)
        aside = path + QStringLiteral(".corrupt-") + stamp + QLatin1Char('-') + QString::number(attempt);
    if (!QFile::rename(path, aside))
        return QStringLiteral("não foi possível pôr de lado o ilegível %1").arg(path);
    qWarning() << "Preferences: the unreadable" << path << "was kept as" << aside;
    return std::nullopt;
}

std::optional<QString> JsonPreferences::write() {
    if (originalNeedsKeepingAside) {
        if (std::optional<QString> failure = moveUnreadableOriginalAside())
            return failure;
        originalNeedsKeepingAside = false;
    }
    QJsonObject entries;
    for (auto it = values.constBegin(); it != values.constEnd(); ++it)
        entries.insert(it.key(), encodedEntry(it.value()));
    const QJsonObject root{{QStringLiteral("format"), formatName},
                           {QStringLiteral("version"), formatVersion},
                           {QStringLiteral("values"), entries}};

    QDir().mkpath(QFileInfo(path).absolutePath());
    const QByteArray contents = QJsonDocument(root).toJson();
    const QString cannotWrite = QStringLiteral("não foi possível gravar %1: ").arg(path);
    QSaveFile file(path);
    // Unbuffered, so that a short write shows in write()'s result: a buffered QSaveFile commits a file cut
    // short by a full disk or a file size limit without reporting an error.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return cannotWrite + file.errorString();
    if (file.write(contents) != contents.size()) {
        file.cancelWriting();
        return cannotWrite + QStringLiteral("a gravação foi interrompida (disco cheio?)");
    }
    if (!file.commit())
        return cannotWrite + file.errorString();
    return std::nullopt;
}
