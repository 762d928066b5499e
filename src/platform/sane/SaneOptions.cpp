#include "platform/sane/SaneOptions.h"

#include "platform/sane/SaneLibrary.h"

#include <QByteArray>
#include <algorithm>
#include <cmath>
#include <sane/saneopts.h>
#include <vector>

namespace kestrova::sane {

namespace {

struct PageSize {
    const char* name;
    double width; // millimetres
    double height;
};
constexpr PageSize PAGE_SIZES[] = {
    {"A4", 210.0, 297.0}, {"A5", 148.0, 210.0}, {"Letter", 215.9, 279.4}, {"Legal", 215.9, 355.6}};
constexpr const char* FULL_AREA = "Full area";
constexpr int USUAL_RESOLUTIONS[] = {75, 100, 150, 200, 240, 300, 400, 600, 1200};

double ToNumber(const SANE_Option_Descriptor* d, SANE_Word w) {
    return d->type == SANE_TYPE_FIXED ? SANE_UNFIX(w) : static_cast<double>(w);
}

SANE_Word FromNumber(const SANE_Option_Descriptor* d, double v) {
    return d->type == SANE_TYPE_FIXED ? SANE_FIX(v) : static_cast<SANE_Word>(std::lround(v));
}

QString NumberText(double v) {
    return v == std::floor(v) ? QString::number(static_cast<qint64>(v)) : QString::number(v);
}

Status Failed(const QString& name, const QString& value, const QString& why) {
    return Status::failure(QStringLiteral("Cannot set %1 to \"%2\": %3").arg(name, value, why));
}

Status Control(SANE_Handle handle, const SaneOption& o, void* value, const QString& name, const QString& text) {
    SANE_Int info = 0;
    const SANE_Status status = sane_control_option(handle, o.index, SANE_ACTION_SET_VALUE, value, &info);
    if (status != SANE_STATUS_GOOD) return Failed(name, text, StatusText(status));
    return Status::success();
}

bool ReadRange(SANE_Handle handle, const QString& name, double& low, double& high) {
    const SaneOption o = FindOption(handle, name);
    if (!o.active() || o.descriptor->constraint_type != SANE_CONSTRAINT_RANGE) return false;
    low = ToNumber(o.descriptor, o.descriptor->constraint.range->min);
    high = ToNumber(o.descriptor, o.descriptor->constraint.range->max);
    return o.descriptor->unit == SANE_UNIT_MM;
}

Status SetNumber(SANE_Handle handle, const QString& name, double value) {
    if (!FindOption(handle, name).settable()) return Status::success();
    return SetOption(handle, name, NumberText(value));
}

} // namespace

SaneOption FindOption(SANE_Handle handle, const QString& name) {
    const QByteArray wanted = name.toUtf8();
    SANE_Int count = 0;
    if (sane_control_option(handle, 0, SANE_ACTION_GET_VALUE, &count, nullptr) != SANE_STATUS_GOOD) return {};
    for (SANE_Int i = 1; i < count; ++i) {
        const SANE_Option_Descriptor* d = sane_get_option_descriptor(handle, i);
        if (d && d->name && wanted == d->name && d->type != SANE_TYPE_GROUP) return {i, d};
    }
    return {};
}

QString OptionValue(SANE_Handle handle, const QString& name) {
    const SaneOption o = FindOption(handle, name);
    if (!o.active() || o.descriptor->size <= 0) return {};
    std::vector<char> buffer(static_cast<std::size_t>(o.descriptor->size) + sizeof(SANE_Word), 0);
    if (sane_control_option(handle, o.index, SANE_ACTION_GET_VALUE, buffer.data(), nullptr) != SANE_STATUS_GOOD)
        return {};
    switch (o.descriptor->type) {
    case SANE_TYPE_STRING:
        return QString::fromUtf8(buffer.data());
    case SANE_TYPE_BOOL:
        return *reinterpret_cast<SANE_Bool*>(buffer.data()) ? QStringLiteral("yes") : QStringLiteral("no");
    case SANE_TYPE_INT:
    case SANE_TYPE_FIXED:
        return NumberText(ToNumber(o.descriptor, *reinterpret_cast<SANE_Word*>(buffer.data())));
    default:
        return {};
    }
}

QStringList OptionChoices(SANE_Handle handle, const QString& name) {
    const SaneOption o = FindOption(handle, name);
    QStringList choices;
    if (!o.active()) return choices;
    const SANE_Option_Descriptor* d = o.descriptor;
    if (d->constraint_type == SANE_CONSTRAINT_STRING_LIST) {
        for (int i = 0; d->constraint.string_list[i]; ++i)
            choices.append(QString::fromUtf8(d->constraint.string_list[i]));
    } else if (d->constraint_type == SANE_CONSTRAINT_WORD_LIST) {
        const SANE_Word* list = d->constraint.word_list;
        for (int i = 1; i <= list[0]; ++i) choices.append(NumberText(ToNumber(d, list[i])));
    } else if (d->constraint_type == SANE_CONSTRAINT_RANGE && name == QLatin1String(SANE_NAME_SCAN_RESOLUTION)) {
        const double low = ToNumber(d, d->constraint.range->min);
        const double high = ToNumber(d, d->constraint.range->max);
        for (int r : USUAL_RESOLUTIONS) {
            if (r >= low && r <= high) choices.append(QString::number(r));
        }
    }
    return choices;
}

Status SetOption(SANE_Handle handle, const QString& name, const QString& value) {
    const SaneOption o = FindOption(handle, name);
    if (!o) return Failed(name, value, QStringLiteral("the scanner has no such setting"));
    if (!o.settable()) return Failed(name, value, QStringLiteral("the setting cannot be changed now"));
    const SANE_Option_Descriptor* d = o.descriptor;
    switch (d->type) {
    case SANE_TYPE_STRING: {
        QByteArray text = value.toUtf8();
        if (d->constraint_type == SANE_CONSTRAINT_STRING_LIST) {
            bool found = false;
            for (int i = 0; d->constraint.string_list[i] && !found; ++i) {
                const QString choice = QString::fromUtf8(d->constraint.string_list[i]);
                if (choice.compare(value, Qt::CaseInsensitive) == 0) {
                    text = d->constraint.string_list[i];
                    found = true;
                }
            }
            if (!found) return Failed(name, value, QStringLiteral("the scanner does not offer it"));
        }
        if (text.size() >= d->size) return Failed(name, value, QStringLiteral("the text is too long"));
        std::vector<char> buffer(static_cast<std::size_t>(d->size), 0);
        std::copy(text.begin(), text.end(), buffer.begin());
        return Control(handle, o, buffer.data(), name, value);
    }
    case SANE_TYPE_BOOL: {
        const QString v = value.trimmed().toLower();
        SANE_Bool b = (v == QLatin1String("yes") || v == QLatin1String("true") || v == QLatin1String("1")) ? SANE_TRUE
                                                                                                           : SANE_FALSE;
        return Control(handle, o, &b, name, value);
    }
    case SANE_TYPE_INT:
    case SANE_TYPE_FIXED: {
        bool ok = false;
        double number = value.trimmed().toDouble(&ok);
        if (!ok) return Failed(name, value, QStringLiteral("a number is needed"));
        if (d->constraint_type == SANE_CONSTRAINT_WORD_LIST && d->constraint.word_list[0] > 0) {
            const SANE_Word* list = d->constraint.word_list;
            double best = ToNumber(d, list[1]);
            for (int i = 2; i <= list[0]; ++i) {
                if (std::fabs(ToNumber(d, list[i]) - number) < std::fabs(best - number)) best = ToNumber(d, list[i]);
            }
            number = best;
        } else if (d->constraint_type == SANE_CONSTRAINT_RANGE) {
            number = std::clamp(number, ToNumber(d, d->constraint.range->min), ToNumber(d, d->constraint.range->max));
        }
        const std::size_t count = std::max<std::size_t>(1, static_cast<std::size_t>(d->size) / sizeof(SANE_Word));
        std::vector<SANE_Word> words(count, FromNumber(d, number));
        return Control(handle, o, words.data(), name, value);
    }
    default:
        return Failed(name, value, QStringLiteral("the setting is not a value"));
    }
}

QStringList PageSizes() {
    QStringList sizes;
    for (const PageSize& p : PAGE_SIZES) sizes.append(QString::fromLatin1(p.name));
    sizes.append(QString::fromLatin1(FULL_AREA));
    return sizes;
}

bool HasPageGeometry(SANE_Handle handle) {
    double low = 0, high = 0;
    return ReadRange(handle, QStringLiteral(SANE_NAME_SCAN_BR_X), low, high) &&
           ReadRange(handle, QStringLiteral(SANE_NAME_SCAN_BR_Y), low, high);
}

Status SetPageSize(SANE_Handle handle, const QString& size) {
    double width = -1, height = -1;
    for (const PageSize& p : PAGE_SIZES) {
        if (size.compare(QLatin1String(p.name), Qt::CaseInsensitive) == 0) {
            width = p.width;
            height = p.height;
        }
    }
    const bool full = size.compare(QLatin1String(FULL_AREA), Qt::CaseInsensitive) == 0;
    if (width < 0 && !full) return Failed(QStringLiteral("page-size"), size, QStringLiteral("not a known page size"));
    if (!HasPageGeometry(handle)) return Status::success();
    double lowW = 0, highW = 0, lowH = 0, highH = 0;
    // A feeder's page size first: it limits the scan area on the devices that have it.
    if (ReadRange(handle, QStringLiteral(SANE_NAME_PAGE_WIDTH), lowW, highW) &&
        ReadRange(handle, QStringLiteral(SANE_NAME_PAGE_HEIGHT), lowH, highH)) {
        Status s =
            SetNumber(handle, QStringLiteral(SANE_NAME_PAGE_WIDTH), full ? highW : std::clamp(width, lowW, highW));
        if (s)
            s = SetNumber(handle, QStringLiteral(SANE_NAME_PAGE_HEIGHT),
                          full ? highH : std::clamp(height, lowH, highH));
        if (!s) return s;
    }
    double lowX = 0, highX = 0, lowY = 0, highY = 0;
    ReadRange(handle, QStringLiteral(SANE_NAME_SCAN_BR_X), lowX, highX);
    ReadRange(handle, QStringLiteral(SANE_NAME_SCAN_BR_Y), lowY, highY);
    Status s = SetNumber(handle, QStringLiteral(SANE_NAME_SCAN_TL_X), lowX);
    if (s) s = SetNumber(handle, QStringLiteral(SANE_NAME_SCAN_TL_Y), lowY);
    if (s) s = SetNumber(handle, QStringLiteral(SANE_NAME_SCAN_BR_X), full ? highX : std::min(lowX + width, highX));
    if (s) s = SetNumber(handle, QStringLiteral(SANE_NAME_SCAN_BR_Y), full ? highY : std::min(lowY + height, highY));
    return s;
}

int Resolution(SANE_Handle handle) {
    for (const char* name : {SANE_NAME_SCAN_Y_RESOLUTION, SANE_NAME_SCAN_RESOLUTION}) {
        const QString v = OptionValue(handle, QString::fromLatin1(name));
        if (!v.isEmpty()) return static_cast<int>(std::lround(v.toDouble()));
    }
    return 0;
}

bool IsFeederSource(const QString& source) {
    const QString s = source.toLower();
    return s.contains(QLatin1String("adf")) || s.contains(QLatin1String("feeder")) ||
           s.contains(QLatin1String("duplex"));
}

} // namespace kestrova::sane
