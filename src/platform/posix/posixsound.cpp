#include "posixsound.h"

#include <alsa/asoundlib.h>
#include <cmath>
#include <vector>

namespace Posix {

namespace {

void ignoreAlsaError(const char *, int, const char *, int, const char *, ...) {}

snd_pcm_t *openDefaultPcm(unsigned rate)
{
    snd_pcm_t *pcm = nullptr;
    // Silence ALSA's own complaints on machines without a sound card.
    snd_lib_error_set_handler(ignoreAlsaError);
    if (snd_pcm_open(&pcm, "default", SND_PCM_STREAM_PLAYBACK, 0) < 0)
        return nullptr;
    if (snd_pcm_set_params(pcm, SND_PCM_FORMAT_S16_LE, SND_PCM_ACCESS_RW_INTERLEAVED, 1, rate, 1,
                           100000) < 0) {
        snd_pcm_close(pcm);
        return nullptr;
    }
    return pcm;
}

} // namespace

void tone(int frequencyHz, int durationMs)
{
    constexpr unsigned rate = 8000;
    snd_pcm_t *pcm = openDefaultPcm(rate);
    if (!pcm)
        return;
    const size_t frames = size_t(rate) * size_t(durationMs) / 1000;
    std::vector<short> samples(frames);
    for (size_t i = 0; i < frames; ++i)
        samples[i] = short(8000 * std::sin(2 * M_PI * frequencyHz * double(i) / rate));
    size_t done = 0;
    while (done < frames) {
        const snd_pcm_sframes_t n = snd_pcm_writei(pcm, samples.data() + done, frames - done);
        if (n < 0) {
            if (snd_pcm_recover(pcm, int(n), 1) < 0)
                break;
            continue;
        }
        done += size_t(n);
    }
    // Holding the thread until the tone has sounded is intended.
    snd_pcm_drain(pcm);
    snd_pcm_close(pcm);
}

} // namespace Posix
