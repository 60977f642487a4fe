// Every picture reader, one per file in this folder.
#pragma once

#include "imaging/reader.h"

namespace lumora {

Picture readBmp(const ReaderInput& in);          // bmp, dib, rle
Picture readJpeg(const ReaderInput& in);         // jpg, jpeg (full size)
Picture readIcon(const ReaderInput& in);         // ico
Picture readMetafile(const ReaderInput& in);     // wmf, emf
Picture readTarga(const ReaderInput& in);        // tga, vst, vda, icb, win
Picture readPcx(const ReaderInput& in);          // pcx, pcc, scr
Picture readAutodesk(const ReaderInput& in);     // cel, pic
Picture readDrHalo(const ReaderInput& in);       // cut (+ .pal beside it)
Picture readSgi(const ReaderInput& in);          // sgi, rgb, rgba, bw
Picture readPortableMap(const ReaderInput& in);  // pbm, pgm, ppm
Picture readGif(const ReaderInput& in);          // gif
Picture readTiff(const ReaderInput& in);         // tif, tiff
Picture readPhotoshop(const ReaderInput& in);    // psd, pdd
Picture readRla(const ReaderInput& in);          // rla, rpf
Picture readPhotoCd(const ReaderInput& in);      // pcd
Picture readPng(const ReaderInput& in);          // png
Picture readWebp(const ReaderInput& in);         // webp
Picture readHeif(const ReaderInput& in);         // heic, heif
Picture readAvif(const ReaderInput& in);         // avif

// JPEG decoded at libjpeg's smallest scale (1/8, 1/4, 1/2 or 1) that keeps
// it at least fitWidth x fitHeight; full size when fitWidth or fitHeight <= 0.
Picture readJpegToFit(const ReaderInput& in, int fitWidth, int fitHeight);

}  // namespace lumora
