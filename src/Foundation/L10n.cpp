#include "Foundation/L10n.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>

namespace {

QHash<QString, QString>& catalogue() {
    static QHash<QString, QString> entries;
    return entries;
}

bool readCatalogueFile(const QString& path, QHash<QString, QString>& into) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll());
    if (!document.isObject())
        return false;
    const QJsonObject object = document.object();
    for (auto it = object.begin(); it != object.end(); ++it) {
        if (it.value().isString())
            into.insert(it.key(), it.value().toString());
    }
    return true;
}

struct Specifier {
    int argumentIndex = -1; // -1: take the next sequential argument
    QString flags;
    QString width;
    QChar conversion;
    qsizetype length = 0; // characters consumed, including the leading '%'
};

// Parses the specifier that starts at pattern[start] == '%'. Returns false for anything we do not know.
bool parseSpecifier(const QString& pattern, qsizetype start, Specifier& spec) {
    qsizetype pos = start + 1;
    auto digitsFrom = [&](qsizetype from) {
        qsizetype end = from;
        while (end < pattern.size() && pattern.at(end).isDigit() && pattern.at(end).unicode() < 128)
            ++end;
        return end;
    };
    qsizetype digitsEnd = digitsFrom(pos);
    if (digitsEnd > pos && digitsEnd < pattern.size() && pattern.at(digitsEnd) == u'$') {
        spec.argumentIndex = pattern.mid(pos, digitsEnd - pos).toInt() - 1;
        if (spec.argumentIndex < 0)
            return false;
        pos = digitsEnd + 1;
    }
    while (pos < pattern.size() && QStringView(u"-+ 0#").contains(pattern.at(pos)))
        spec.flags += pattern.at(pos++);
    digitsEnd = digitsFrom(pos);
    spec.width = pattern.mid(pos, digitsEnd - pos);
    pos = digitsEnd;
    if (pattern.mid(pos, 2) == u"ll")
        pos += 2;
    else if (pos < pattern.size() && pattern.at(pos) == u'l')
        pos += 1;
    if (pos >= pattern.size())
        return false;
    const QChar conversion = pattern.at(pos);
    if (!QStringView(u"@diu").contains(conversion))
        return false;
    spec.conversion = conversion;
    spec.length = pos + 1 - start;
    return true;
}

QString renderInteger(const QVariant& value, const Specifier& spec) {
    bool ok = false;
    const qlonglong number = value.toLongLong(&ok);
    QString digits =
        QString::number(number < 0 ? -static_cast<qulonglong>(number) : static_cast<qulonglong>(number));
    QString sign = number < 0                  ? QStringLiteral("-")
                   : spec.flags.contains(u'+') ? QStringLiteral("+")
                                               : QString();
    const int width = spec.width.toInt();
    const qsizetype padding = width - (digits.size() + sign.size());
    if (padding > 0 && spec.flags.contains(u'0') && !spec.flags.contains(u'-'))
        digits.prepend(QString(padding, u'0'));
    QString text = sign + digits;
    if (text.size() < width)
        text = spec.flags.contains(u'-') ? text.leftJustified(width) : text.rightJustified(width);
    return text;
}

QString renderText(const QVariant& value, const Specifier& spec) {
    QString text = value.toString();
    const int width = spec.width.toInt();
    if (text.size() < width)
        text = spec.flags.contains(u'-') ? text.leftJustified(width) : text.rightJustified(width);
    return text;
}

} // namespace

namespace L10n {

QString text(const char* key, const char* defaultText, const char* /*translatorNote*/) {
    const auto found = catalogue().constFind(QString::fromUtf8(key));
    return found != catalogue().constEnd() ? found.value() : QString::fromUtf8(defaultText);
}

QString format(const QString& pattern, const QVariantList& arguments) {
    QString result;
    result.reserve(pattern.size());
    int nextSequential = 0;
    qsizetype pos = 0;
    while (pos < pattern.size()) {
        const QChar current = pattern.at(pos);
        if (current != u'%') {
            result += current;
            ++pos;
            continue;
        }
        if (pattern.mid(pos, 2) == u"%%") {
            result += u'%';
            pos += 2;
            continue;
        }
        Specifier spec;
        if (!parseSpecifier(pattern, pos, spec)) {
            result += current;
            ++pos;
            continue;
        }
        const int index = spec.argumentIndex >= 0 ? spec.argumentIndex : nextSequential++;
        if (index >= arguments.size()) {
            result += pattern.mid(pos, spec.length);
        } else {
            result += spec.conversion == u'@' ? renderText(arguments.at(index), spec)
                                              : renderInteger(arguments.at(index), spec);
        }
        pos += spec.length;
    }
    return result;
}

QString formatted(const char* key, const char* defaultText, const char* translatorNote,
                  const QVariantList& arguments) {
    return format(text(key, defaultText, translatorNote), arguments);
}

void loadCatalogue(const QString& localeName, const QString& extraDirectory) {
    QHash<QString, QString> entries;
    bool found = false;
    if (!localeName.isEmpty() && localeName != u"pt_BR") {
        const QString language = localeName.section(u'_', 0, 0);
        QStringList candidates{language, localeName};
        candidates.removeDuplicates();
        for (const QString& name : candidates) {
            found |= readCatalogueFile(QStringLiteral(":/i18n/%1.json").arg(name), entries);
            if (!extraDirectory.isEmpty())
                found |=
                    readCatalogueFile(QDir(extraDirectory).filePath(name + QStringLiteral(".json")), entries);
        }
    }
    setCatalogue(std::move(entries));
    QLocale::setDefault(QLocale(found ? localeName : QStringLiteral("pt_BR")));
}

void setCatalogue(QHash<QString, QString> entries) {
    catalogue() = std::move(entries);
}

} // namespace L10n
