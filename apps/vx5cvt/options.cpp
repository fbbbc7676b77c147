#include "apps/vx5cvt/options.h"

#include "listing/listing_writer.h"
#include "translate/packet_translation.h"

ConverterOptions options;

void ResetOptions() {
    options = ConverterOptions{};
    listingSettings = ListingSettings{};
    decodeSettings = DecodeSettings{};
    translateSettings = TranslateSettings{};
}
