#include "app/input/KeyClickPlayer.h"

#include <QAudioDevice>
#include <QCoreApplication>
#include <QMediaDevices>
#include <QSoundEffect>

namespace plotwise {

namespace {

KeyClickPlayer* gOverride = nullptr;

}  // namespace

KeyClickPlayer* KeyClickPlayer::shared() {
    if (gOverride != nullptr) {
        return gOverride;
    }
    // Made once, owned by the application so it goes before the audio backend does.
    static SoundEffectClickPlayer* player =
        QMediaDevices::audioOutputs().isEmpty() ? nullptr : new SoundEffectClickPlayer(qApp);
    return player;
}

void KeyClickPlayer::setShared(KeyClickPlayer* player) {
    gOverride = player;
}

SoundEffectClickPlayer::SoundEffectClickPlayer(QObject* parent)
    : QObject(parent), effect_(new QSoundEffect(this)) {
    effect_->setSource(QUrl(QStringLiteral("qrc:/sounds/keyClick.wav")));
    effect_->setVolume(0.5);
}

void SoundEffectClickPlayer::play() {
    effect_->play();
}

}  // namespace plotwise
