// A loadable library whose only export is not called plugMain.

#include "platform/Export.h"

FF_EXPORT int PlugMain()
{
    return 0;
}
