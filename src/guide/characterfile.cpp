#include "guide/characterfile.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <cmath>

namespace ingranix::character {

namespace {

constexpr auto formatName = "ingranix-character";
constexpr int formatVersion = 1;

// Every pose field with its name in the file and the range it is drawn within.
struct Field {
    const char *name;
    double Pose::*member;
    double low;
    double high;
};

constexpr Field fields[] = {
    {"leftArm", &Pose::leftArm, -180, 360},
    {"rightArm", &Pose::rightArm, -180, 360},
    {"hatTilt", &Pose::hatTilt, -90, 90},
    {"headTurn", &Pose::headTurn, -90, 90},
    {"lean", &Pose::lean, -45, 45},
    {"lift", &Pose::lift, -50, 50},
    {"sparkle", &Pose::sparkle, 0, 1},
    {"mouth", &Pose::mouth, 0, 1},
    {"eyes", &Pose::eyes, 0, 1},
    {"book", &Pose::book, 0, 1},
    {"lens", &Pose::lens, 0, 1},
    {"swirl", &Pose::swirl, -100, 100},
    {"stars", &Pose::stars, 0, 1},
};

QJsonObject poseToJson(const Pose &pose, const Pose &base) {
    QJsonObject object;
    for (const Field &field : fields) {
        // Only what differs from the rest pose is written, so the file reads as a list of gestures.
        if (pose.*field.member != base.*field.member)
            object.insert(QLatin1String(field.name), pose.*field.member);
    }
    return object;
}

Pose poseFromJson(const QJsonObject &object, const Pose &base) {
    Pose pose = base;
    for (const Field &field : fields) {
        const QJsonValue value = object.value(QLatin1String(field.name));
        if (!value.isDouble())
            continue;
        const double number = value.toDouble();
        if (std::isfinite(number))
            pose.*field.member = std::clamp(number, field.low, field.high);
    }
    return pose;
}

void fail(QString *problem, const QString &text) {
    if (problem)
        *problem = text;
}

} // namespace

Pose blend(const Pose &from, const Pose &to, double t) {
    t = std::clamp(t, 0.0, 1.0);
    Pose out;
    for (const Field &field : fields)
        out.*field.member = from.*field.member + (to.*field.member - from.*field.member) * t;
    return out;
}

int Animation::durationMs() const {
    int total = 0;
    for (const Frame &frame : frames)
        total += frame.durationMs;
    return total;
}

QByteArray toJson(const Model &model) {
    QJsonObject root;
    root.insert("format", QLatin1String(formatName));
    root.insert("version", formatVersion);
    root.insert("id", model.id);
    root.insert("width", model.width);
    root.insert("height", model.height);
    root.insert("rest", poseToJson(model.rest, Pose{}));
    QJsonObject animations;
    for (auto it = model.animations.cbegin(); it != model.animations.cend(); ++it) {
        QJsonArray frames;
        for (const Frame &frame : it->frames) {
            QJsonObject entry;
            entry.insert("ms", frame.durationMs);
            entry.insert("pose", poseToJson(frame.pose, model.rest));
            frames.append(entry);
        }
        animations.insert(it.key(), QJsonObject{{"frames", frames}});
    }
    root.insert("animations", animations);
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

bool fromJson(const QByteArray &json, Model &model, QString *problem) {
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject()) {
        fail(problem, QStringLiteral("not a JSON object: %1").arg(error.errorString()));
        return false;
    }
    const QJsonObject root = document.object();
    if (root.value("format").toString() != QLatin1String(formatName)) {
        fail(problem, QStringLiteral("not a character description"));
        return false;
    }
    const QJsonValue width = root.value("width");
    const QJsonValue height = root.value("height");
    if (!width.isDouble() || !height.isDouble() || !std::isfinite(width.toDouble()) ||
        !std::isfinite(height.toDouble())) {
        fail(problem, QStringLiteral("no frame size"));
        return false;
    }

    Model out;
    out.id = root.value("id").toString();
    out.width = int(std::clamp(width.toDouble(), double(minFrameSide), double(maxFrameSide)));
    out.height = int(std::clamp(height.toDouble(), double(minFrameSide), double(maxFrameSide)));
    out.rest = poseFromJson(root.value("rest").toObject(), Pose{});

    const QJsonObject animations = root.value("animations").toObject();
    for (auto it = animations.constBegin(); it != animations.constEnd(); ++it) {
        const QJsonArray frames = it.value().toObject().value("frames").toArray();
        Animation animation;
        for (const QJsonValue &entry : frames) {
            if (animation.frames.size() >= maxFramesPerAnimation)
                break;
            if (!entry.isObject())
                continue;
            const QJsonObject object = entry.toObject();
            const double ms = object.value("ms").toDouble(100);
            Frame frame;
            frame.durationMs =
                std::isfinite(ms) ? int(std::clamp(ms, double(minFrameMs), double(maxFrameMs))) : minFrameMs;
            frame.pose = poseFromJson(object.value("pose").toObject(), out.rest);
            animation.frames.append(frame);
        }
        // An animation without a single usable frame would be invisible: leave it out.
        if (!animation.frames.isEmpty() && !it.key().isEmpty())
            out.animations.insert(it.key(), animation);
    }
    model = out;
    return true;
}

bool loadFile(const QString &path, Model &model, QString *problem) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        fail(problem, file.errorString());
        return false;
    }
    if (file.size() > maxFileBytes) {
        fail(problem, QStringLiteral("file too large"));
        return false;
    }
    return fromJson(file.read(maxFileBytes), model, problem);
}

} // namespace ingranix::character
