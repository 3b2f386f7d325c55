#include "engine/hdri.h"

KivHDRI::KivHDRI() { KivHDRI::init(); }

KivHDRI::~KivHDRI() = default;

void KivHDRI::init() {
    const std::int32_t keptReaderMode = readerMode;
    KivFloatTexture::init();
    readerMode = keptReaderMode;
    format = kRgbe;
    exposure = 1.0f;
    colorCorrection = 1.0f;
    pixelAspect = 1.0f;
    xFlip = 0;
    yFlip = 1;
    readMode = 0;
}
