// The credits' two costs per picture and per frame, each next to a floor in the same run:
// decoding a 1024 x 768 credit picture with libjpeg against copying its decoded pixels once
// (the least any decoder must do), and one frame of the rolling credits (the text drawn into
// the off-screen picture and copied out) against the same frame without text (clearing and
// copying only). Run on the offscreen platform or under Xvfb.
#include <benchmark/benchmark.h>
#include <QApplication>
#include <QFile>
#include <QImage>
#include <QPainter>

#include <cstring>
#include <string>
#include <vector>

#include "ui/AboutContent.h"
#include "ui/FXAboutDlg.h"
#include "ui/JpegPicture.h"
#include "ui/ScrollText.h"

namespace {

const std::string& Backdrop() {
  static const std::string data = fx::ProgramCreditPictureData(fx::kCreditsBackdropPicture);
  return data;
}

void BM_DecodeCreditPicture(benchmark::State& state) {
  for (auto _ : state)
    benchmark::DoNotOptimize(fx::DecodeJpeg(Backdrop()));
}
BENCHMARK(BM_DecodeCreditPicture)->Unit(benchmark::kMillisecond);

void BM_CopyDecodedPixels(benchmark::State& state) {
  const fx::TPixels pixels = fx::DecodeJpeg(Backdrop());
  std::vector<std::uint8_t> copy(pixels.Rgb.size());
  for (auto _ : state) {
    std::memcpy(copy.data(), pixels.Rgb.data(), copy.size());
    benchmark::DoNotOptimize(copy.data());
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_CopyDecodedPixels)->Unit(benchmark::kMillisecond);

// The credits as the about box rolls them: 640 x 461, bold 48 pixels, shadowed, half-way.
void FrameBench(benchmark::State& state, bool withText) {
  fx::TScrollText scroll;
  scroll.resize(640, 461);
  QFont font(QStringLiteral("Arial"));
  font.setPixelSize(48);
  font.setBold(true);
  scroll.SetFont(font);
  scroll.SetColor(Qt::black);
  scroll.Core().SetTextStyle(fx::TTextStyle::tsShaddow);
  scroll.Core().SetScrollDirection(fx::TScrollDirection::sdBottomToTop);
  scroll.Core().SetSteps(1000);
  scroll.Core().Stop();
  scroll.Core().Start(500);
  scroll.Core().Stop();
  scroll.Core().SetItems(withText ? fx::CreditLines() : std::vector<std::string>{});
  QImage screen(640, 461, QImage::Format_RGB32);
  for (auto _ : state) {
    scroll.render(&screen);
    benchmark::DoNotOptimize(screen.constBits());
  }
}

void BM_CreditsFrame(benchmark::State& state) {
  FrameBench(state, true);
}
BENCHMARK(BM_CreditsFrame)->Unit(benchmark::kMicrosecond);

void BM_EmptyFrame(benchmark::State& state) {
  FrameBench(state, false);
}
BENCHMARK(BM_EmptyFrame)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
