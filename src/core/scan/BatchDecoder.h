#pragma once

#include "barcode/PageBitmap.h"
#include "barcode/QVCodabar.h"
#include "core/ports/PageImage.h"
#include "core/scan/DecodeImages.h"
#include "core/scan/DecodeJournal.h"

#include <QMap>
#include <QString>
#include <QStringList>
#include <array>
#include <memory>

namespace kestrova {

class Station;

// One run of batch decoding over an image-set file. Lives for one call of DecodeImages.
class BatchDecoder {
public:
    BatchDecoder(Station& station, const ImageCodec& codec, QString imageSetFile, const DecodeImagesView& view);

    void run();
    // What the imaging side reported about the image-set file when run() loaded it.
    const TImageInfo& imageSetInfo() const { return m_imageSetInfo; }

private:
    // One page of the batch while it is being decided.
    struct Page {
        std::unique_ptr<PageImage> image; // the batch page (the imaging control holding the batch)
        std::unique_ptr<PageImage> temp;  // 1-bit working copy when the batch is deeper
        QString ProblemText;
        int TopCut = 0;
        int UpsideDownAngle = 0;
        std::array<QString, barcode::ReaderSlotCount> slotLines;
        PageImage* work() const { return temp ? temp.get() : image.get(); }
    };

    bool loadBatch();
    bool scanSizeTooSmall();
    void openJournal();
    void decodePage(int pageIndex);
    int decidePage(int pageIndex);
    // Records the files the page is about to write, before the first of them is written.
    void intend(const QStringList& files);
    void finishPage(int pageIndex, int lengthCm);
    void readPage(Page& page);
    QString readWorking(Page& page, bool rotated, int depth);
    void decideUpsideDown(Page& page);
    void saveDecoded(Page& page, int count);
    void saveProblem(Page& page, int count);
    bool copyForBarcode(const QString& source, const QString& target);
    QString documentPart(const Page& page) const;
    QString freeSuffix(const QString& decodedDir, const QStringList& barcodes, const QString& part) const;
    void pageNotSaved(int pageIndex, const QString& what, const QString& error);
    void keepImageSet();
    void finish();

    Station& m_station;
    const ImageCodec& m_codec;
    QString m_imageSet;
    DecodeImagesView m_view;
    TImageInfo m_imageSetInfo;

    std::unique_ptr<PageImage> m_first;
    int m_pageCount = 0;
    int m_yDpi = 0;
    double m_scanHeightMm = 0;
    QString m_resolutionText;
    barcode::PageBitmap m_bitmap;
    QMap<int, int> m_lengths; // content length of every page decided, by page
    DecodeJournal m_journal;
    int m_currentPage = 0;
    int m_pageLength = 0;      // content length of the page being written
    QStringList m_pageFiles;   // the files it is writing
    bool m_pageFailed = false; // something of it could not be written
    int m_unsaved = 0;
    QString m_keptAs;
    bool m_stopped = false;
};

} // namespace kestrova
