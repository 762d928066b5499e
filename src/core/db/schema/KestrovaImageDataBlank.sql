-- The blank image database of a KestrovaNT station (SQLite). The build turns this script into
-- ImageDatabase/KestrovaImageDataBlank.mdb beside the program; a station copies that file to
-- KestrovaImageData.mdb when it has no database.
--
-- Text columns compare without regard to letter case (= and like), as the LIS and supervisors
-- expect. Date-times are local wall-clock text "yyyy-mm-dd hh:nn:ss[.zzz]". Yes/no columns hold
-- 0 or 1. The indexes must match src/core/db/SchemaIndexes.cpp.

PRAGMA journal_mode = WAL;

CREATE TABLE ImageData (
    SeqNumber    INTEGER NOT NULL UNIQUE,
    ReqID        TEXT COLLATE NOCASE,
    DocDefn      TEXT COLLATE NOCASE,
    ScanTime     DATETIME,
    ViewTime     DATETIME,
    CDWriteTime  DATETIME,
    CDLabel      TEXT COLLATE NOCASE,
    SentToSystem BOOLEAN NOT NULL DEFAULT 0,
    BarcodeData  TEXT COLLATE NOCASE,
    ImageInfo    TEXT COLLATE NOCASE,
    Verified     INTEGER,
    ZipName      TEXT COLLATE NOCASE CHECK (length(ZipName) <= 40),
    Replicated   BOOLEAN NOT NULL DEFAULT 0
);

-- Archived rows. SeqNumber is not unique here: an archive run whose removal step failed leaves
-- rows in both tables, and the next run must still be able to copy them.
CREATE TABLE ImageArchive (
    SeqNumber    INTEGER NOT NULL,
    ReqID        TEXT COLLATE NOCASE,
    DocDefn      TEXT COLLATE NOCASE,
    ScanTime     DATETIME,
    ViewTime     DATETIME,
    CDWriteTime  DATETIME,
    CDLabel      TEXT COLLATE NOCASE,
    SentToSystem BOOLEAN NOT NULL DEFAULT 0,
    BarcodeData  TEXT COLLATE NOCASE,
    ImageInfo    TEXT COLLATE NOCASE,
    Verified     INTEGER,
    ZipName      TEXT COLLATE NOCASE CHECK (length(ZipName) <= 40),
    Replicated   BOOLEAN NOT NULL DEFAULT 0
);

CREATE INDEX IF NOT EXISTS IX_ImageData_ZipName ON ImageData (ZipName);
CREATE INDEX IF NOT EXISTS IX_ImageData_CDLabel ON ImageData (CDLabel);
CREATE INDEX IF NOT EXISTS IX_ImageData_ReqID ON ImageData (ReqID, DocDefn);
CREATE INDEX IF NOT EXISTS IX_ImageData_CDWriteTime ON ImageData (CDWriteTime);
CREATE INDEX IF NOT EXISTS IX_ImageArchive_SeqNumber ON ImageArchive (SeqNumber);
CREATE INDEX IF NOT EXISTS IX_ImageArchive_ReqID ON ImageArchive (ReqID, DocDefn);
CREATE INDEX IF NOT EXISTS IX_ImageArchive_CDLabel ON ImageArchive (CDLabel);
-- The rows awaiting backup and the rows awaiting the LIS, for the counters the station reads on
-- its timers; partial, so they stay small however large the table grows.
CREATE INDEX IF NOT EXISTS IX_ImageData_AwaitingBackup ON ImageData (SeqNumber) WHERE CDWriteTime IS NULL;
CREATE INDEX IF NOT EXISTS IX_ImageData_AwaitingLIS ON ImageData (SeqNumber) WHERE SentToSystem = 0;

-- The next free sequence number: one above the highest in either table (1 when both are empty).
-- Each MAX reads one end of an index.
CREATE VIEW NextSeq AS
SELECT max(coalesce((SELECT max(SeqNumber) FROM ImageData), 0),
           coalesce((SELECT max(SeqNumber) FROM ImageArchive), 0)) + 1 AS NextSeqNum;
