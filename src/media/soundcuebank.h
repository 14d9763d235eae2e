// The game's sound cues, decoded once and kept in memory so that starting one costs no decoding.
// One cue sounds at a time: a new cue cuts off the one playing.
#pragma once

#include "wavecue.h"

#include <QBuffer>
#include <QByteArray>
#include <QObject>
#include <map>
#include <memory>
#include <optional>

class QAudioSink;

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

    // Opens the audio output ahead of the first cue, so the first click costs no more than the others.
    void prepareOutput();

    // Starts cue `id`; false when there is no such cue. Silent without an audio device.
    bool play(qint16 id);

    // The bytes of the cue last started; they stay alive as long as it plays.
    const QByteArray& soundCueData() const { return m_soundCueData; }

private:
    bool ensureSink(const QAudioFormat& format);

    std::map<qint16, std::optional<WaveCue>> m_cues;
    QByteArray m_soundCueData;
    QBuffer m_buffer;
    std::unique_ptr<QAudioSink> m_sink;
    QAudioFormat m_sinkFormat;
    bool m_outputChecked = false;
    bool m_haveOutput = false;
};
