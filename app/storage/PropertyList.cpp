#include "app/storage/PropertyList.h"

#include <QBuffer>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>
#include <charconv>
#include <cmath>
#include <limits>
#include <optional>
#include <string_view>

namespace plotwise {

namespace {

// ASCII only: numbers in a property list never use other digits or blanks.
std::string asciiTrimmed(QStringView text) {
    std::string out;
    out.reserve(static_cast<size_t>(text.size()));
    for (const QChar c : text) {
        out += c.unicode() < 0x80 ? static_cast<char>(c.unicode()) : '\x7f';
    }
    const auto first = out.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) {
        return {};
    }
    const auto last = out.find_last_not_of(" \t\r\n");
    return out.substr(first, last - first + 1);
}

bool allDigits(std::string_view text) {
    for (const char c : text) {
        if (c < '0' || c > '9') {
            return false;
        }
    }
    return !text.empty();
}

std::optional<QVariant> parseInteger(QStringView text) {
    const std::string trimmed = asciiTrimmed(text);
    std::string_view digits = trimmed;
    bool negative = false;
    if (!digits.empty() && (digits.front() == '+' || digits.front() == '-')) {
        negative = digits.front() == '-';
        digits.remove_prefix(1);
    }
    if (!allDigits(digits)) {
        return std::nullopt;
    }
    quint64 magnitude = 0;
    const auto result = std::from_chars(digits.data(), digits.data() + digits.size(), magnitude);
    if (result.ec != std::errc() || result.ptr != digits.data() + digits.size()) {
        return std::nullopt;
    }
    constexpr quint64 signedMaximum = std::numeric_limits<qint64>::max();
    if (negative) {
        if (magnitude > signedMaximum + 1) {
            return std::nullopt;
        }
        // Negating in unsigned arithmetic reaches the minimum without overflow.
        return QVariant(static_cast<qlonglong>(0 - magnitude));
    }
    if (magnitude > signedMaximum) {
        return QVariant(static_cast<qulonglong>(magnitude));
    }
    return QVariant(static_cast<qlonglong>(magnitude));
}

std::optional<double> parseReal(QStringView text) {
    const std::string trimmed = asciiTrimmed(text);
    std::string_view body = trimmed;
    bool negative = false;
    if (!body.empty() && (body.front() == '+' || body.front() == '-')) {
        negative = body.front() == '-';
        body.remove_prefix(1);
    }
    const double sign = negative ? -1.0 : 1.0;
    std::string lower(body);
    for (char& c : lower) {
        c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    }
    if (lower == "nan") {
        return std::numeric_limits<double>::quiet_NaN();
    }
    if (lower == "inf" || lower == "infinity") {
        return sign * std::numeric_limits<double>::infinity();
    }
    if (body.empty() || !((body.front() >= '0' && body.front() <= '9') || body.front() == '.')) {
        return std::nullopt;
    }
    double value = 0;
    const auto result =
        std::from_chars(body.data(), body.data() + body.size(), value, std::chars_format::general);
    if (result.ptr != body.data() + body.size()) {
        return std::nullopt;
    }
    if (result.ec == std::errc::result_out_of_range) {
        // Past the range of a double: QString::toDouble gives infinity on overflow and 0 on
        // underflow, as a plist reader should.
        return sign *
               QString::fromLatin1(body.data(), static_cast<qsizetype>(body.size())).toDouble();
    }
    if (result.ec != std::errc()) {
        return std::nullopt;
    }
    return sign * value;
}

QString realText(double value) {
    if (std::isnan(value)) {
        return QStringLiteral("nan");
    }
    if (std::isinf(value)) {
        return value > 0 ? QStringLiteral("+infinity") : QStringLiteral("-infinity");
    }
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return QString::fromLatin1(buffer, result.ptr - buffer);
}

bool isXmlCharacter(char32_t c) {
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) ||
           (c >= 0xE000 && c <= 0xFFFD) || (c >= 0x10000 && c <= 0x10FFFF);
}

// Replaces what XML 1.0 cannot carry by U+FFFD.
QString xmlSafe(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            out += c;
            out += text[++i];
        } else if (c.isSurrogate() || !isXmlCharacter(c.unicode())) {
            out += QChar(QChar::ReplacementCharacter);
        } else {
            out += c;
        }
    }
    return out;
}

// A carriage return in element text would come back as a line feed (XML normalises line ends),
// so it is written as a character reference.
void writeText(QXmlStreamWriter& xml, const QString& element, const QString& text) {
    xml.writeStartElement(element);
    const QString safe = xmlSafe(text);
    qsizetype start = 0;
    for (qsizetype i = 0; i <= safe.size(); ++i) {
        if (i == safe.size() || safe[i] == u'\r') {
            if (i > start) {
                xml.writeCharacters(safe.mid(start, i - start));
            }
            if (i < safe.size()) {
                xml.writeEntityReference(QStringLiteral("#13"));
            }
            start = i + 1;
        }
    }
    xml.writeEndElement();
}

class Writer {
public:
    explicit Writer(QXmlStreamWriter& xml) : xml_(xml) {}

    bool value(const QVariant& value, int depth) {
        switch (value.typeId()) {
            case QMetaType::QVariantList:
            case QMetaType::QStringList:
                return array(value.toList(), depth);
            case QMetaType::QVariantMap:
                return dictionary(value.toMap(), depth);
            case QMetaType::QVariantHash: {
                const QVariantHash hash = value.toHash();
                QVariantMap sorted;
                for (auto it = hash.begin(); it != hash.end(); ++it) {
                    sorted.insert(it.key(), it.value());
                }
                return dictionary(sorted, depth);
            }
            case QMetaType::QString:
                writeText(xml_, QStringLiteral("string"), value.toString());
                return true;
            case QMetaType::Bool:
                xml_.writeEmptyElement(value.toBool() ? QStringLiteral("true")
                                                      : QStringLiteral("false"));
                return true;
            case QMetaType::Char:
            case QMetaType::SChar:
            case QMetaType::Short:
            case QMetaType::Int:
            case QMetaType::Long:
            case QMetaType::LongLong:
                xml_.writeTextElement(QStringLiteral("integer"),
                                      QString::number(value.toLongLong()));
                return true;
            case QMetaType::UChar:
            case QMetaType::UShort:
            case QMetaType::UInt:
            case QMetaType::ULong:
            case QMetaType::ULongLong:
                xml_.writeTextElement(QStringLiteral("integer"),
                                      QString::number(value.toULongLong()));
                return true;
            case QMetaType::Float:
            case QMetaType::Double:
                xml_.writeTextElement(QStringLiteral("real"), realText(value.toDouble()));
                return true;
            case QMetaType::QByteArray:
                xml_.writeTextElement(QStringLiteral("data"),
                                      QString::fromLatin1(value.toByteArray().toBase64()));
                return true;
            case QMetaType::QDateTime: {
                const QDateTime time = value.toDateTime();
                if (!time.isValid()) {
                    return fail(QStringLiteral("invalid date"));
                }
                xml_.writeTextElement(QStringLiteral("date"), time.toUTC().toString(Qt::ISODate));
                return true;
            }
            default:
                return fail(QStringLiteral("no property-list form for a value of type %1")
                                .arg(QString::fromLatin1(value.typeName())));
        }
    }

    const QString& error() const { return error_; }

private:
    bool fail(const QString& message) {
        if (error_.isEmpty()) {
            error_ = message;
        }
        return false;
    }

    bool enter(int depth) {
        return depth < PropertyList::maximumDepth ||
               fail(QStringLiteral("containers nested deeper than %1")
                        .arg(PropertyList::maximumDepth));
    }

    bool array(const QVariantList& items, int depth) {
        if (!enter(depth)) {
            return false;
        }
        xml_.writeStartElement(QStringLiteral("array"));
        for (const QVariant& item : items) {
            if (!value(item, depth + 1)) {
                return false;
            }
        }
        xml_.writeEndElement();
        return true;
    }

    bool dictionary(const QVariantMap& entries, int depth) {
        if (!enter(depth)) {
            return false;
        }
        xml_.writeStartElement(QStringLiteral("dict"));
        for (auto it = entries.begin(); it != entries.end(); ++it) {
            writeText(xml_, QStringLiteral("key"), it.key());
            if (!value(it.value(), depth + 1)) {
                return false;
            }
        }
        xml_.writeEndElement();
        return true;
    }

    QXmlStreamWriter& xml_;
    QString error_;
};

class Reader {
public:
    explicit Reader(const QByteArray& document) : xml_(document) {
        xml_.setNamespaceProcessing(false);
    }

    std::optional<QVariant> document() {
        if (nextTag() != Tag::Start) {
            return fail(QStringLiteral("no root element"));
        }
        if (xml_.name() != u"plist") {
            return fail(QStringLiteral("the root element is not <plist>"));
        }
        if (nextTag() != Tag::Start) {
            return fail(QStringLiteral("an empty property list"));
        }
        std::optional<QVariant> root = value(0);
        if (!root) {
            return std::nullopt;
        }
        if (nextTag() != Tag::End) {
            return fail(QStringLiteral("more than one value in <plist>"));
        }
        while (!xml_.atEnd()) {
            if (xml_.readNext() == QXmlStreamReader::EntityReference) {
                return fail(QStringLiteral("entity reference"));
            }
        }
        if (xml_.hasError()) {
            return fail(xml_.errorString());
        }
        return root;
    }

    const QString& error() const { return error_; }

private:
    enum class Tag { Start, End, Failed };

    std::nullopt_t fail(const QString& message) {
        if (error_.isEmpty()) {
            error_ = xml_.hasError() ? xml_.errorString() : message;
        }
        return std::nullopt;
    }

    bool dtdIsSafe() {
        if (!xml_.entityDeclarations().isEmpty() || xml_.text().contains(u"<!ENTITY")) {
            fail(QStringLiteral("the document declares entities"));
            return false;
        }
        return true;
    }

    // The next start or end tag; blank text, comments and processing instructions are skipped.
    Tag nextTag() {
        while (!xml_.atEnd()) {
            switch (xml_.readNext()) {
                case QXmlStreamReader::StartElement:
                    return Tag::Start;
                case QXmlStreamReader::EndElement:
                    return Tag::End;
                case QXmlStreamReader::Characters:
                    if (xml_.isWhitespace()) {
                        continue;
                    }
                    fail(QStringLiteral("text outside a value"));
                    return Tag::Failed;
                case QXmlStreamReader::DTD:
                    if (!dtdIsSafe()) {
                        return Tag::Failed;
                    }
                    continue;
                case QXmlStreamReader::EntityReference:
                    fail(QStringLiteral("entity reference"));
                    return Tag::Failed;
                case QXmlStreamReader::Invalid:
                    fail(xml_.errorString());
                    return Tag::Failed;
                default:
                    continue;
            }
        }
        fail(QStringLiteral("the document ends early"));
        return Tag::Failed;
    }

    // The text of a leaf element; any child element is an error.
    std::optional<QString> text() {
        QString result;
        while (!xml_.atEnd()) {
            switch (xml_.readNext()) {
                case QXmlStreamReader::Characters:
                    result += xml_.text();
                    continue;
                case QXmlStreamReader::EndElement:
                    return result;
                case QXmlStreamReader::Comment:
                case QXmlStreamReader::ProcessingInstruction:
                    continue;
                case QXmlStreamReader::StartElement:
                    fail(QStringLiteral("<%1> inside a text value").arg(xml_.name()));
                    return std::nullopt;
                default:
                    fail(QStringLiteral("unexpected content in a text value"));
                    return std::nullopt;
            }
        }
        fail(QStringLiteral("the document ends early"));
        return std::nullopt;
    }

    // Reads the value whose start tag was just read; `depth` counts the enclosing containers.
    std::optional<QVariant> value(int depth) {
        const QString name = xml_.name().toString();
        if (name == u"array" || name == u"dict") {
            if (depth >= PropertyList::maximumDepth) {
                return fail(QStringLiteral("containers nested deeper than %1")
                                .arg(PropertyList::maximumDepth));
            }
            return name == u"array" ? array(depth) : dictionary(depth);
        }
        const std::optional<QString> content = text();
        if (!content) {
            return std::nullopt;
        }
        if (name == u"string") {
            return QVariant(*content);
        }
        if (name == u"true" || name == u"false") {
            if (!content->trimmed().isEmpty()) {
                return fail(QStringLiteral("text inside <%1>").arg(name));
            }
            return QVariant(name == u"true");
        }
        if (name == u"integer") {
            if (auto number = parseInteger(*content)) {
                return number;
            }
            return fail(QStringLiteral("not an integer: %1").arg(content->left(40)));
        }
        if (name == u"real") {
            if (auto number = parseReal(*content)) {
                return QVariant(*number);
            }
            return fail(QStringLiteral("not a real: %1").arg(content->left(40)));
        }
        if (name == u"data") {
            QByteArray base64 = content->toLatin1();
            base64.replace(' ', "").replace('\t', "").replace('\n', "").replace('\r', "");
            auto decoded =
                QByteArray::fromBase64Encoding(base64, QByteArray::AbortOnBase64DecodingErrors);
            if (!decoded) {
                return fail(QStringLiteral("bad base64 in <data>"));
            }
            return QVariant(*decoded);
        }
        if (name == u"date") {
            const QDateTime time = QDateTime::fromString(content->trimmed(), Qt::ISODate);
            if (!time.isValid()) {
                return fail(QStringLiteral("not a date: %1").arg(content->left(40)));
            }
            return QVariant(time.toUTC());
        }
        return fail(QStringLiteral("unknown element <%1>").arg(name));
    }

    std::optional<QVariant> array(int depth) {
        QVariantList items;
        for (;;) {
            switch (nextTag()) {
                case Tag::Start: {
                    std::optional<QVariant> item = value(depth + 1);
                    if (!item) {
                        return std::nullopt;
                    }
                    items.append(std::move(*item));
                    break;
                }
                case Tag::End:
                    return QVariant(items);
                case Tag::Failed:
                    return std::nullopt;
            }
        }
    }

    std::optional<QVariant> dictionary(int depth) {
        QVariantMap entries;
        for (;;) {
            switch (nextTag()) {
                case Tag::Start: {
                    if (xml_.name() != u"key") {
                        return fail(QStringLiteral("<%1> where a <key> belongs").arg(xml_.name()));
                    }
                    std::optional<QString> key = text();
                    if (!key) {
                        return std::nullopt;
                    }
                    if (nextTag() != Tag::Start) {
                        return fail(QStringLiteral("the key \"%1\" has no value").arg(*key));
                    }
                    std::optional<QVariant> item = value(depth + 1);
                    if (!item) {
                        return std::nullopt;
                    }
                    entries.insert(*key, std::move(*item));
                    break;
                }
                case Tag::End:
                    return QVariant(entries);
                case Tag::Failed:
                    return std::nullopt;
            }
        }
    }

    QXmlStreamReader xml_;
    QString error_;
};

}  // namespace

PropertyList::ReadResult PropertyList::read(const QByteArray& document) {
    Reader reader(document);
    ReadResult result;
    if (std::optional<QVariant> value = reader.document()) {
        result.status = Status::Ok;
        result.value = std::move(*value);
    } else {
        result.status = Status::Unreadable;
        result.error = reader.error();
    }
    return result;
}

PropertyList::ReadResult PropertyList::readFile(const QString& path) {
    ReadResult result;
    const QFileInfo info(path);
    if (!info.exists()) {
        result.status = Status::Missing;
        return result;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        result.error = file.errorString();
        return result;
    }
    if (file.size() > maximumFileSize) {
        result.error = QStringLiteral("larger than %1 bytes").arg(maximumFileSize);
        return result;
    }
    const QByteArray bytes = file.read(maximumFileSize + 1);
    if (file.error() != QFileDevice::NoError || bytes.size() > maximumFileSize) {
        result.error = file.error() != QFileDevice::NoError
                           ? file.errorString()
                           : QStringLiteral("larger than %1 bytes").arg(maximumFileSize);
        return result;
    }
    return read(bytes);
}

QByteArray PropertyList::write(const QVariant& value, QString* error) {
    QByteArray document;
    QBuffer buffer(&document);
    buffer.open(QIODevice::WriteOnly);
    QXmlStreamWriter xml(&buffer);
    xml.setAutoFormatting(true);
    xml.setAutoFormattingIndent(-1);
    xml.writeStartDocument();
    xml.writeDTD(
        QStringLiteral("<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
                       "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">"));
    xml.writeStartElement(QStringLiteral("plist"));
    xml.writeAttribute(QStringLiteral("version"), QStringLiteral("1.0"));
    Writer writer(xml);
    const bool written = writer.value(value, 0);
    xml.writeEndElement();
    xml.writeEndDocument();
    if (!written || xml.hasError()) {
        if (error) {
            *error = written ? QStringLiteral("the XML writer failed") : writer.error();
        }
        return {};
    }
    return document;
}

bool PropertyList::writeFile(const QString& path, const QVariant& value, QString* error) {
    const QByteArray document = write(value, error);
    if (document.isEmpty()) {
        return false;
    }
    const QString folder = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(folder)) {
        if (error) {
            *error = QStringLiteral("cannot create %1").arg(folder);
        }
        return false;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(document) != document.size() ||
        !file.commit()) {
        if (error) {
            *error = file.errorString();
        }
        return false;
    }
    return true;
}

QString PropertyList::keepAside(const QString& path) {
    const QString stem = path + QStringLiteral(".unreadable-") +
                         QDateTime::currentDateTimeUtc().toString(u"yyyyMMdd'T'HHmmss'Z'");
    QString target = stem;
    for (int counter = 2; QFileInfo::exists(target) || QFileInfo(target).isSymLink(); ++counter) {
        target = stem + u'-' + QString::number(counter);
    }
    return QFile::rename(path, target) ? target : QString();
}

}  // namespace plotwise
