#pragma once
// The audio mixer that belongs to the selected wave input device: its recording line with
// the volume, mute and source-select controls, the sources with their own volume
// controls, and which source is the microphone. Selecting a device holds its mixer open
// until the next selection or program exit; no control value is ever changed.
#include <windows.h>

#include <mmsystem.h>

#include <cstdint>
#include <vector>

// The platform calls the record is made from; tests put a simulated mixer in their place.
struct MixerApi {
    UINT(WINAPI* waveInGetNumDevs)();
    MMRESULT(WINAPI* mixerOpen)(HMIXER*, UINT, DWORD_PTR, DWORD_PTR, DWORD);
    MMRESULT(WINAPI* mixerClose)(HMIXER);
    MMRESULT(WINAPI* mixerGetLineInfoW)(HMIXEROBJ, MIXERLINEW*, DWORD);
    MMRESULT(WINAPI* mixerGetLineControlsW)(HMIXEROBJ, MIXERLINECONTROLSW*, DWORD);
    MMRESULT(WINAPI* mixerGetControlDetailsW)(HMIXEROBJ, MIXERCONTROLDETAILS*, DWORD);
};
// The platform's own.
const MixerApi& MixerApi_Platform();

class InputMixer {
public:
    static constexpr int kMultiplexer = 0;  // one source at a time
    static constexpr int kMixer = 1;        // several sources at once
    static constexpr wchar_t kMicrophoneName[] = L"Microphone";

    // Counts the wave input devices once, at first use.
    explicit InputMixer(const MixerApi& api = MixerApi_Platform());
    ~InputMixer();
    InputMixer(const InputMixer&) = delete;
    InputMixer& operator=(const InputMixer&) = delete;

    // 0 when the index is not below the device count (after releasing the previous
    // selection); else 1, also when the mixer or a control cannot be found (their "found"
    // flags then stay false): recording from the device stays possible.
    int SelectInputDevice(int device);
    // mixerGetLineControls for one control of the type on the line; true when found.
    bool FindControl(MIXERCONTROLW* control, DWORD lineId, DWORD controlType) const;

    int DeviceCount() const;
    int SelectedDevice() const { return selected_; }
    HMIXER Mixer() const { return mixer_; }
    const MIXERLINEW& RecordingLine() const { return line_; }
    bool VolumeFound() const { return volumeFound_; }
    const MIXERCONTROLW& Volume() const { return volume_; }
    bool MuteFound() const { return muteFound_; }
    DWORD MuteControlId() const { return muteId_; }
    bool SourceSelectFound() const { return sourceSelectFound_; }
    DWORD SourceSelectControlId() const { return sourceSelectId_; }
    DWORD SourceCount() const { return sourceCount_; }
    int SourceSelectKind() const { return sourceSelectKind_; }
    const std::vector<MIXERCONTROLDETAILS_LISTTEXTW>& SourceNames() const { return sourceNames_; }
    const std::vector<MIXERCONTROLW>& SourceVolumes() const { return sourceVolumes_; }
    const std::vector<int32_t>& SourceVolumeFound() const { return sourceVolumeFound_; }
    DWORD MicrophoneIndex() const { return microphone_; }

private:
    void Release();
    void FreeSources();
    // Steps 6 to 8: the sources of the source-select control; false on a failure.
    bool ReadSources();

    MixerApi api_;
    mutable int deviceCount_ = -1;
    int selected_ = 0;
    HMIXER mixer_ = nullptr;
    MIXERLINEW line_ = {};
    bool volumeFound_ = false;
    MIXERCONTROLW volume_ = {};
    bool muteFound_ = false;
    DWORD muteId_ = 0;
    bool sourceSelectFound_ = false;
    DWORD sourceSelectId_ = 0;
    DWORD sourceCount_ = 0;
    int sourceSelectKind_ = kMultiplexer;
    std::vector<MIXERCONTROLDETAILS_LISTTEXTW> sourceNames_;
    std::vector<MIXERCONTROLW> sourceVolumes_;
    std::vector<int32_t> sourceVolumeFound_;
    DWORD microphone_ = 0;
};

// The process-wide record.
InputMixer& InputMixer_Global();
// Selects the device in the process-wide record.
int Recorder_SelectInputDevice(int device);
