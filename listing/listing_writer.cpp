#include "listing/listing_writer.h"

#include <cerrno>
#include <cstdarg>

ListingSettings listingSettings;
ListingState listing;

namespace {
// Each PutFormat call formats at most 255 characters.
constexpr int kFormatBufferSize = 256;
// A large stdio buffer: a listing runs to tens of megabytes.
constexpr std::size_t kStreamBufferSize = 1 << 16;
char streamBuffer[kStreamBufferSize];
}  // namespace

void DirectListingTo(std::FILE* stream, bool crlf) {
    listing.destination = stream;
    listing.crlf = crlf;
    listing.ownsDestination = false;
    listing.lineCount = 0;
    listing.writeError = 0;
}

void SetListingDestination(std::FILE* file, bool isFile) {
    DirectListingTo(file, isFile);
    listing.ownsDestination = isFile;
    if (isFile) std::setvbuf(file, streamBuffer, _IOFBF, kStreamBufferSize);
}

int CloseListingDestination() {
    if (listing.destination == nullptr) return 0;
    // A write that failed earlier leaves the stream's error mark even when the
    // final flush has nothing left to write.
    int result = std::fflush(listing.destination) == 0 && !std::ferror(listing.destination) ? 0 : NoteWriteFailure();
    if (listing.ownsDestination && std::fclose(listing.destination) != 0) result = NoteWriteFailure();
    listing.destination = nullptr;
    listing.ownsDestination = false;
    return result;
}

int NoteWriteFailure() {
    if (listing.writeError == 0) listing.writeError = errno;
    return -1;
}

int FinishPage() {
    int n = listing.lineCount;
    listing.lineCount = 0;
    if (listingSettings.linesPerPage == 0) return 0;
    for (int i = n; i < listingSettings.linesPerPage; ++i) {
        if (PutRaw('\n') < 0) return -1;
    }
    return 0;
}

int PutLine(const char* text, std::size_t length) {
    if (listing.lineCount >= listing.pageTextLines) FinishPage();
    ++listing.lineCount;
    if (length != 0 && std::fwrite(text, 1, length, listing.destination) != length) return NoteWriteFailure();
    return PutRaw('\n') < 0 ? -1 : 0;
}

int PutText(const char* text) {
    for (; *text != '\0'; ++text) {
        if (PutChar(static_cast<unsigned char>(*text)) < 0) return -1;
    }
    return 0;
}

int PutFormat(const char* format, ...) {
    char buffer[kFormatBufferSize];
    va_list args;
    va_start(args, format);
    int n = std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    if (PutText(buffer) < 0) return -1;
    return n;
}

int StartConversion() {
    listing.lineCount = 0;
    listing.pageTextLines = listingSettings.linesPerPage != 0 ? listingSettings.linesPerPage - 6 : 1 << 30;
    if (listing.destination == nullptr) SetListingDestination(stdout, false);
    return 1;
}

int FinishListing() { return 1; }
