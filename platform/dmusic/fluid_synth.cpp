#include "dmusic/fluid_synth.h"

#include <fluidsynth.h>
#include <unistd.h>

#include <cstdlib>
#include <mutex>

#include "base/platform_log.h"

namespace nol::dmusic {

namespace {

const char* const soundFontCandidates[] = {
    "/usr/share/sounds/sf2/default-GM.sf2",
    "/usr/share/sounds/sf2/TimGM6mb.sf2",
    "/usr/share/sounds/sf2/FluidR3_GM.sf2",
};

void LogFluid(int level, const char* message, void*) {
    NolLog("FluidSynth%s: %s\n", level <= FLUID_ERR ? " error" : "", message);
}

// FluidSynth's own log goes to standard output; route what matters into ours.
void RouteFluidLog() {
    static std::once_flag once;
    std::call_once(once, [] {
        fluid_set_log_function(FLUID_PANIC, LogFluid, nullptr);
        fluid_set_log_function(FLUID_ERR, LogFluid, nullptr);
        fluid_set_log_function(FLUID_WARN, nullptr, nullptr);
        fluid_set_log_function(FLUID_INFO, nullptr, nullptr);
        fluid_set_log_function(FLUID_DBG, nullptr, nullptr);
    });
}

}  // namespace

std::string FluidMidiSynth::SoundFontPath() {
    if (const char* env = std::getenv("NOL_SOUNDFONT"); env && *env) return env;
    for (const char* path : soundFontCandidates)
        if (access(path, R_OK) == 0) return path;
    return soundFontCandidates[0];
}

std::unique_ptr<FluidMidiSynth> FluidMidiSynth::Create(std::string& error) {
    RouteFluidLog();
    std::unique_ptr<FluidMidiSynth> s(new FluidMidiSynth);
    s->settings_ = new_fluid_settings();
    if (!s->settings_) {
        error = "FluidSynth settings cannot be made";
        return nullptr;
    }
    fluid_settings_setnum(s->settings_, "synth.sample-rate", MUSIC_SAMPLE_RATE);
    // The default gain of 0.2 leaves a full GM arrangement far below the effects.
    fluid_settings_setnum(s->settings_, "synth.gain", 0.6);
    fluid_settings_setint(s->settings_, "synth.reverb.active", 1);
    fluid_settings_setint(s->settings_, "synth.chorus.active", 1);
    // Every call is made under the performance's own lock.
    fluid_settings_setint(s->settings_, "synth.threadsafe-api", 0);
    s->synth_ = new_fluid_synth(s->settings_);
    if (!s->synth_) {
        error = "FluidSynth synthesiser cannot be made";
        return nullptr;
    }
    std::string path = SoundFontPath();
    if (fluid_synth_sfload(s->synth_, path.c_str(), 1) == FLUID_FAILED) {
        error = "SoundFont " + path + " cannot be loaded";
        return nullptr;
    }
    return s;
}

FluidMidiSynth::~FluidMidiSynth() {
    if (synth_) delete_fluid_synth(synth_);
    if (settings_) delete_fluid_settings(settings_);
}

void FluidMidiSynth::Send(uint8_t status, uint8_t d1, uint8_t d2) {
    int ch = status & 0x0F;
    switch (status & 0xF0) {
    case 0x80: fluid_synth_noteoff(synth_, ch, d1); break;
    case 0x90: fluid_synth_noteon(synth_, ch, d1, d2); break;
    case 0xA0: fluid_synth_key_pressure(synth_, ch, d1, d2); break;
    case 0xB0: fluid_synth_cc(synth_, ch, d1, d2); break;
    case 0xC0: fluid_synth_program_change(synth_, ch, d1); break;
    case 0xD0: fluid_synth_channel_pressure(synth_, ch, d1); break;
    case 0xE0: fluid_synth_pitch_bend(synth_, ch, d1 | (d2 << 7)); break;
    default: break;
    }
}

void FluidMidiSynth::NotesOff() { fluid_synth_all_notes_off(synth_, -1); }

void FluidMidiSynth::Reset() {
    fluid_synth_all_sounds_off(synth_, -1);
    fluid_synth_system_reset(synth_);
}

void FluidMidiSynth::Render(int16_t* stereo, int frames) {
    fluid_synth_write_s16(synth_, frames, stereo, 0, 2, stereo, 1, 2);
}

int FluidMidiSynth::ActiveVoices() const { return fluid_synth_get_active_voice_count(synth_); }

}  // namespace nol::dmusic
