// The entry of the speech module: the launcher loads it at the first name it speaks, so that
// Qt TextToSpeech and the speech service it talks to cost nothing at start.

#include "QtSpeech.h"

#include <QtGlobal>

extern "C" Q_DECL_EXPORT platform::Speech *lumbraCreateSpeech()
{
    return new platform::QtSpeech;
}
