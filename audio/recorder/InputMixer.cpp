#include "InputMixer.h"

#include <cwchar>
#include <exception>

namespace {
constexpr DWORD kLineByComponentType = MIXER_OBJECTF_HMIXER | MIXER_GETLINEINFOF_COMPONENTTYPE;
constexpr DWORD kLineById = MIXER_OBJECTF_HMIXER | MIXER_GETLINEINFOF_LINEID;
constexpr DWORD kControlByType = MIXER_OBJECTF_HMIXER | MIXER_GETLINECONTROLSF_ONEBYTYPE;
constexpr DWORD kListTexts = MIXER_OBJECTF_HMIXER | MIXER_GETCONTROLDETAILSF_LISTTEXT;

HMIXEROBJ Object(HMIXER mixer) { return reinterpret_cast<HMIXEROBJ>(mixer); }
}  // namespace

const MixerApi& MixerApi_Platform() {
    static const MixerApi api = {waveInGetNumDevs,      mixerOpen,           mixerClose,
                                 mixerGetLineInfoW,     mixerGetLineControlsW, mixerGetControlDetailsW};
    return api;
}

InputMixer::InputMixer(const MixerApi& api) : api_(api) {}

int InputMixer::DeviceCount() const {
    // Counted once, at first use: the process-wide record is made before the program
    // joins its device, and the audio system must not be woken before that.
    if (deviceCount_ < 0) deviceCount_ = static_cast<int>(api_.waveInGetNumDevs());
    return deviceCount_;
}

InputMixer::~InputMixer() { Release(); }

void InputMixer::FreeSources() {
    sourceNames_ = {};
    sourceVolumes_ = {};
    sourceVolumeFound_ = {};
}

void InputMixer::Release() {
    selected_ = 0;
    volumeFound_ = false;
    muteFound_ = false;
    sourceSelectFound_ = false;
    sourceCount_ = 0;
    microphone_ = 0;
    if (mixer_) api_.mixerClose(mixer_);
    mixer_ = nullptr;
    FreeSources();
}

bool InputMixer::FindControl(MIXERCONTROLW* control, DWORD lineId, DWORD controlType) const {
    *control = {};
    control->cbStruct = sizeof *control;
    MIXERLINECONTROLSW query = {};
    query.cbStruct = sizeof query;
    query.dwLineID = lineId;
    query.dwControlType = controlType;
    query.cControls = 1;
    query.cbmxctrl = sizeof *control;
    query.pamxctrl = control;
    return api_.mixerGetLineControlsW(Object(mixer_), &query, kControlByType) == MMSYSERR_NOERROR;
}

int InputMixer::SelectInputDevice(int device) {
    Release();
    if (device < 0 || device >= DeviceCount()) return 0;
    selected_ = device;
    // The device index serves as the mixer id.
    if (api_.mixerOpen(&mixer_, static_cast<UINT>(device), 0, 0, 0) != MMSYSERR_NOERROR) {
        mixer_ = nullptr;
        return 1;
    }
    line_ = {};
    line_.cbStruct = sizeof line_;
    line_.dwComponentType = MIXERLINE_COMPONENTTYPE_DST_WAVEIN;
    if (api_.mixerGetLineInfoW(Object(mixer_), &line_, kLineByComponentType) != MMSYSERR_NOERROR) {
        api_.mixerClose(mixer_);
        mixer_ = nullptr;
        return 1;
    }
    volumeFound_ = FindControl(&volume_, line_.dwLineID, MIXERCONTROL_CONTROLTYPE_VOLUME);
    MIXERCONTROLW control;
    muteFound_ = FindControl(&control, line_.dwLineID, MIXERCONTROL_CONTROLTYPE_MUTE);
    if (muteFound_) muteId_ = control.dwControlID;
    sourceSelectKind_ = kMultiplexer;
    sourceSelectFound_ = FindControl(&control, line_.dwLineID, MIXERCONTROL_CONTROLTYPE_MUX);
    if (!sourceSelectFound_) {
        sourceSelectKind_ = kMixer;
        sourceSelectFound_ = FindControl(&control, line_.dwLineID, MIXERCONTROL_CONTROLTYPE_MIXER);
    }
    if (sourceSelectFound_) {
        sourceSelectId_ = control.dwControlID;
        sourceCount_ = control.cMultipleItems;
        if (sourceCount_ >= 1) ReadSources();
    }
    return 1;
}

bool InputMixer::ReadSources() {
    try {
        sourceNames_.assign(sourceCount_, MIXERCONTROLDETAILS_LISTTEXTW{});
        sourceVolumes_.assign(sourceCount_, MIXERCONTROLW{});
        sourceVolumeFound_.assign(sourceCount_, 0);
    } catch (const std::exception&) {
        // A count no memory can hold: the driver's word is not to be trusted.
        sourceSelectFound_ = false;
        FreeSources();
        return false;
    }
    MIXERCONTROLDETAILS details = {};
    details.cbStruct = sizeof details;
    details.dwControlID = sourceSelectId_;
    details.cChannels = 1;
    details.cMultipleItems = sourceCount_;
    details.cbDetails = sizeof(MIXERCONTROLDETAILS_LISTTEXTW);
    details.paDetails = sourceNames_.data();
    if (api_.mixerGetControlDetailsW(Object(mixer_), &details, kListTexts) != MMSYSERR_NOERROR) {
        sourceSelectFound_ = false;
        FreeSources();
        return false;
    }
    microphone_ = sourceCount_;
    for (DWORD i = 0; i < sourceCount_; ++i) {
        const DWORD lineId = sourceNames_[i].dwParam1;
        sourceVolumeFound_[i] = FindControl(&sourceVolumes_[i], lineId, MIXERCONTROL_CONTROLTYPE_VOLUME) ? 1 : 0;
        MIXERLINEW source = {};
        source.cbStruct = sizeof source;
        source.dwLineID = lineId;
        if (api_.mixerGetLineInfoW(Object(mixer_), &source, kLineById) == MMSYSERR_NOERROR &&
            source.dwComponentType == MIXERLINE_COMPONENTTYPE_SRC_MICROPHONE)
            microphone_ = i;
    }
    if (microphone_ == sourceCount_) {
        microphone_ = 0;
        // Drivers that do not type their lines still name the microphone; any letter case.
        for (DWORD i = 0; i < sourceCount_; ++i) {
            if (_wcsnicmp(sourceNames_[i].szName, kMicrophoneName, MIXER_LONG_NAME_CHARS) == 0) {
                microphone_ = i;
                break;
            }
        }
    }
    return true;
}

namespace {
// Counts the wave input devices when the program starts.
InputMixer theInputMixer;
}  // namespace

InputMixer& InputMixer_Global() { return theInputMixer; }

int Recorder_SelectInputDevice(int device) { return theInputMixer.SelectInputDevice(device); }
