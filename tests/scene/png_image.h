// RGB images for the whole-frame tests: PNG read and write through libpng,
// and the comparison that decides whether two frames match.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct RgbImage {
  int width = 0, height = 0;
  std::vector<uint32_t> pixels;  // 0x00RRGGBB, top row first
};

bool readPng(const std::string& path, RgbImage* image, std::string* why);
bool writePng(const std::string& path, const RgbImage& image, std::string* why);

struct ImageDifference {
  double meanAbsolute = 0;  // over every channel of every pixel
  int largest = 0;          // largest channel difference anywhere
  long pixelsOver = 0;      // pixels with a channel differing by more than the threshold
};

ImageDifference compareImages(const RgbImage& a, const RgbImage& b, int threshold);
