#pragma once

#include "core/ports/PageImage.h"
#include "core/station/ImageInfo.h"

#include <QString>
#include <functional>

namespace kestrova {

class Station;

// The pieces of the main window batch decoding reaches.
struct DecodeImagesView {
    // Repaints the main window (after "Sorting.." is shown).
    std::function<void()> Repaint;
    // Fits a page of bitmapWidth pixels to the width of the batch image's panel (the scan size
    // warning shows the short page whole).
    std::function<void(int bitmapWidth)> FitBatchImageWidth;
    // Shows the first page of the image-set file as soon as it has been read.
    std::function<void()> ShowImageSet;
};

// The file the summary of the last decoded batch is kept in, beside its image-set file, so that a
// restarted station shows it again.
QString BatchSummaryFile(const QString& imageSetFile);
// Puts the kept summary of the image-set file under the batch image; nothing when there is none
// or it is older than the image-set file.
void LoadLastBatchSummary(Station& station, const QString& imageSetFile);

// The directory under the scan directory that keeps copies of image-set files whose pages could
// not all be saved, so that the next scan cannot overwrite them.
QString KeptImageSetDir(const QString& scanDir);

// Takes the image-set file apart page by page: reads each page's barcodes, retries on the whole
// page and sideways, turns upside-down pages, and writes every page to the decoded directory under
// its request number, to the problems directory with a ".scn" reason file, or drops it as blank.
// Ends with the batch summary under the batch image and refreshes the status counters.
// Returns what the imaging side reported about the image-set file (empty when it could not be read).
TImageInfo DecodeImages(Station& station, const ImageCodec& codec, const QString& imageSetFile,
                        const DecodeImagesView& view = {});

// What the imaging side reports about a loaded image, with its compression code.
TImageInfo DecodeImageDocInfo(const ImageFileInfo& reported, const QString& fileName, bool byFile);

} // namespace kestrova
