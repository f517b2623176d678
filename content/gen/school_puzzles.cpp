#include "content/gen/school_puzzles.h"

#include "content/gen/art.h"
#include "content/gen/generators.h"
#include "content/gen/scenes.h"
#include "content/gen/school_pictures.h"

#include "content/entry_names.h"
#include "content/school_files.h"

#include "archive/error.h"

#include <QPainter>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <numbers>

namespace hc::content {

namespace {

constexpr double kPi = std::numbers::pi;

} // namespace

QImage schoolPuzzlePicture(const std::string& file) {
    const QImage source = readSchoolPicture(file);
    const QSize size = layout::kPuzzle;
    const QImage scaled =
        source.convertToFormat(QImage::Format_RGB32)
            .scaled(size, Qt::KeepAspectRatioByExpanding, Qt::SmoothTransformation);
    return scaled.copy((scaled.width() - size.width()) / 2, (scaled.height() - size.height()) / 2,
                       size.width(), size.height());
}

namespace {

// A school picture comes alive by a slow zoom towards its middle and back, with sparkles.
QImage schoolFrame(const QImage& still, int k, double t) {
    QImage image = newImage(still.width(), still.height(), Qt::white);
    QPainter p(&image);
    prepare(p);
    const double zoom = 1.0 + 0.12 * std::sin(t * kPi);
    p.translate(still.width() / 2.0, still.height() / 2.0);
    p.scale(zoom, zoom);
    p.translate(-still.width() / 2.0, -still.height() / 2.0);
    p.drawImage(0, 0, still);
    p.resetTransform();
    drawFinishSparkles(p, k, t);
    return image;
}

} // namespace

void drawFinishSparkles(QPainter& p, int k, double t) {
    if (t <= 0) {
        return;
    }
    Rng rng(static_cast<unsigned>(k) + 40);
    for (int i = 0; i < 6; ++i) {
        const QPointF at(rng.range(10, 131), rng.range(10, 123));
        const double life = std::sin(clamp01(t * 3 - i * 0.3) * kPi);
        if (life > 0) {
            drawSparkle(p, at, 7 * life, QColor(0xFF, 0xF8, 0xD0));
        }
    }
}

void writePuzzle(const std::string& outDir, int k, const QImage& still, const Sound& sound,
                 int frames, const std::function<QImage(int frame, double t)>& frameAt) {
    for (int piece = 0; piece < entries::kPuzzlePieces; ++piece) {
        // Piece p lies in row p / 4, column p % 4; its picture is the inside of its card.
        const int column = piece % 4;
        const int row = piece / 4;
        const QImage cut =
            still
                .copy(column * layout::kPieceStepX + 1, row * layout::kPieceStepY + 1,
                      layout::kPiece.width(), layout::kPiece.height())
                .convertToFormat(QImage::Format_RGB888);
        std::string name = entries::puzzlePiece(k, piece);
        std::replace(name.begin(), name.end(), '\\', '/');
        const std::string path = joinPath(outDir, name);
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        saveImage(cut, path, "BMP");
    }
    std::string movie = entries::puzzleMovie(k);
    std::replace(movie.begin(), movie.end(), '\\', '/');
    const std::string path = joinPath(outDir, movie);
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    AviWriter writer(path, layout::kPuzzle.width(), layout::kPuzzle.height(), kPuzzleFps, &sound);
    for (int f = 0; f < frames; ++f) {
        writer.addFrame(frameAt(f, static_cast<double>(f) / (frames - 1)));
    }
    writer.finish();
}

void writeSchoolPuzzles(const std::string& outDir, int firstNumber,
                        std::vector<std::string> pictures, const Sound& sound) {
    std::sort(pictures.begin(), pictures.end(), [](const std::string& a, const std::string& b) {
        return naturalLess(std::filesystem::path(a).filename().string(),
                           std::filesystem::path(b).filename().string());
    });
    std::fputs(schoolPuzzleList(firstNumber, pictures).c_str(), stdout);
    std::fflush(stdout); // before any message on stderr about one of them
    const int frames = framesForSound(sound, kPuzzleFps, kPuzzleMinimumFrames);
    int k = firstNumber;
    for (const std::string& file : pictures) {
        const QImage still = schoolPuzzlePicture(file);
        writePuzzle(outDir, k, still, sound, frames,
                    [&still, k](int, double t) { return schoolFrame(still, k, t); });
        ++k;
    }
}

void saveImage(const QImage& image, const std::string& path, const char* format) {
    if (!image.save(QString::fromStdString(path), format)) {
        throw Error("Can't write picture " + path);
    }
}

std::string joinPath(const std::string& dir, const std::string& name) {
    return dir.empty() ? name : dir + "/" + name;
}

} // namespace hc::content
