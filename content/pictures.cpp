#include "content/pictures.h"

#include <QtCore/qglobal.h>

// Q_INIT_RESOURCE must be used outside any namespace.
static void initPictureResources() {
    Q_INIT_RESOURCE(hc_pictures);
}

namespace hc::pictures {

void registerPictures() {
    static const bool registered = (initPictureResources(), true);
    (void)registered;
}

} // namespace hc::pictures
