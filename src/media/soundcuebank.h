// The game's sound cues, decoded once and kept in memory so that starting one costs no decoding.
// One cue sounds at a time: a new cue cuts off the one playing.
#pragma once

#include "wavecue.h"

#include <QAudioDevice>
#include <QByteArray>
#include <QObject>
#include <QThread>
#include <map>
#include <optional>

class SoundOutput;

class SoundCueBank : public QObject
{
public:
    explicit SoundCueBank(QObject* parent = nullptr);
    ~SoundCueBank() override;

    // Adds the cues carried by the program (":/sounds/cue<id>.wav").
    void loadBuiltInCues();

    // Adds or replaces cue `id` with the given WAV bytes; bytes that are not a playable wave make a silent cue.
    void addCue(qint16 id, const QByteArray& waveBytes);

    bool contains(qint16 id) const { return m_cues.count(id) != 0; }
    bool isPlayable(qint16 id) const;

    // Finds the audio output ahead of the first cue, so the first click costs no more than the others.
    void prepareOutput();

    // Starts cue `id`; false when there is no such cue. Silent without an audio device. Returns without waiting
    // for the audio server: the output works on a thread of its own.
    bool play(qint16 id);

    // The bytes of the cue last started; they stay alive as long as it plays.
    const QByteArray& soundCueData() const { return m_soundCueData; }

private:
    bool haveOutput();

    std::map<qint16, std::optional<WaveCue>> m_cues;
    QByteArray m_soundCueData;
    bool m_outputChecked = false;
    QAudioDevice m_device;
    QThread m_thread;
    SoundOutput* m_output = nullptr; // lives in m_thread
};
