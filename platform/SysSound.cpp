#include "platform/SysSound.h"

namespace SysSound
{
const char* ErrorText(Result code)
{
    switch (code)
    {
    case Ok:
        return "No error";
    case ErrInvalidParam:
        return "An invalid parameter was passed to the sound device";
    case ErrInvalidCall:
        return "The call is not valid for this sound buffer or in its current state";
    case ErrBadFormat:
        return "The wave format is not supported (16-bit PCM at 22050 Hz, mono or stereo)";
    case ErrControlUnavailable:
        return "The buffer was not created with this control";
    case ErrNoDriver:
        return "No sound output could be opened";
    case ErrOutOfMemory:
        return "Not enough memory for the sound buffer";
    default:
        return "Unknown sound device error";
    }
}
} // namespace SysSound
