#include "PDFWriter.h"

#include <cairo-pdf.h>
#include <cairo.h>
#include <fcntl.h>
#include <fontconfig/fontconfig.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>

#include "FileCalls.h"
#include "QuitSignals.h"
#include "TemporaryFiles.h"
#include "Utf8.h"

namespace tshost {

namespace {

// Texts drawn on a page are cut here: a name that long runs off the page anyway.
constexpr std::size_t kMaxDrawnBytes = 200;

// Cairo refuses text that is not UTF-8 and then stops drawing: bad bytes become "?", and
// control characters blanks.
std::string Utf8OrQuestionMarks(const std::string& text, std::size_t limit = std::string::npos) {
    std::string out;
    std::size_t i = 0;
    while (i < text.size() && out.size() < limit) {
        uint32 cp = 0;
        std::size_t length = DecodeUtf8(text, i, cp);
        if (length == 0) {
            out += '?';
            ++i;
        } else {
            if (cp < 0x20 || cp == 0x7F)
                out += ' ';
            else
                out.append(text, i, length);
            i += length;
        }
    }
    return out;
}

void ReleaseFonts() {
    // Leaves nothing behind for leak checkers; nothing of cairo is alive at exit.
    cairo_debug_reset_static_data();
    FcFini();
}

void ReleaseFontsAtExit() {
    static std::once_flag once;
    std::call_once(once, [] { std::atexit(ReleaseFonts); });
}

struct SurfaceDeleter {
    void operator()(cairo_surface_t* s) const { cairo_surface_destroy(s); }
};
struct ContextDeleter {
    void operator()(cairo_t* cr) const { cairo_destroy(cr); }
};

cairo_status_t WriteToFd(void* closure, const unsigned char* data, unsigned int length) {
    int fd = *static_cast<int*>(closure);
    while (length > 0) {
        ssize_t written = ::write(fd, data, length);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return CAIRO_STATUS_WRITE_ERROR;
        data += written;
        length -= static_cast<unsigned int>(written);
    }
    return CAIRO_STATUS_SUCCESS;
}

void DrawText(cairo_t* cr, const std::string& text, double size, double x, double y, bool centered) {
    cairo_set_font_size(cr, size);
    std::string shown = Utf8OrQuestionMarks(text, kMaxDrawnBytes);
    if (centered) {
        cairo_text_extents_t extents;
        cairo_text_extents(cr, shown.c_str(), &extents);
        x -= extents.width / 2 + extents.x_bearing;
    }
    cairo_move_to(cr, x, y);
    cairo_show_text(cr, shown.c_str());
}

void DrawPage(cairo_t* cr, const PdfJob& job, const std::string& pageName, double left) {
    cairo_set_source_rgb(cr, 0.6, 0.6, 0.6);
    cairo_set_line_width(cr, 1);
    cairo_rectangle(cr, left + 18, 18, kPdfPageWidth - 36, kPdfPageHeight - 36);
    cairo_stroke(cr);
    cairo_set_source_rgb(cr, 0, 0, 0);
    DrawText(cr, job.documentName, 14, left + 36, 60, false);
    DrawText(cr, pageName, 96, left + kPdfPageWidth / 2, kPdfPageHeight / 2, true);
    DrawText(cr, "Page " + pageName, 14, left + kPdfPageWidth / 2, kPdfPageHeight / 2 + 40, true);
    DrawText(cr, job.presetName + " - UI flags " + std::to_string(job.uiFlags), 9, left + 36, kPdfPageHeight - 36, false);
}

// The folder part of a path, "." for a bare name.
std::string FolderOf(const std::string& path) {
    std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

mode_t FileMode() {
    mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

}  // namespace

std::string PdfKeywords(const PdfJob& job) {
    std::string items;
    for (const PdfItem& item : job.items) {
        if (!items.empty()) items += ',';
        for (std::size_t p = 0; p < item.pageNames.size(); ++p) items += (p ? "+" : "") + item.pageNames[p];
    }
    return "ui-flags=" + std::to_string(job.uiFlags) + "; spreads=" + (job.spreads ? "1" : "0") + "; items=" + items;
}

ErrorCode WritePdf(const PdfJob& job, std::string& error) {
    const std::string& path = job.posixPath;
    if (path.empty() || path.back() == '/') {
        error = "'" + path + "' is no file name for a PDF";
        return kInvalidParameterError;
    }
    if (job.items.empty()) {
        error = "there is nothing to export";
        return kInvalidParameterError;
    }
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
        error = path + ": is a folder";
        return kFailure;
    }
    std::string folder = FolderOf(path);
    std::string temp = folder + "/.tessaron-pdf-XXXXXX";
    int fd = ::mkstemp(temp.data());
    if (fd < 0) {
        int why = errno;
        error = why == ENOENT || why == ENOTDIR ? path + ": no such folder" : path + ": cannot be written: " + std::strerror(why);
        return kFailure;
    }
    bool kept = false;
    // A signal that ends the host at once must not leave the half-written file in the user's folder.
    KeepTemporaryFile(temp);
    auto cleanUp = [&] {
        if (fd >= 0) ::close(fd);
        fd = -1;
        if (!kept) ::unlink(temp.c_str());
        ForgetTemporaryFile(temp);
    };

    ReleaseFontsAtExit();
    std::unique_ptr<cairo_surface_t, SurfaceDeleter> surface(
        cairo_pdf_surface_create_for_stream(WriteToFd, &fd, kPdfPageWidth, kPdfPageHeight));
    if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS) {
        error = path + ": cannot be written: " + cairo_status_to_string(cairo_surface_status(surface.get()));
        cleanUp();
        return kFailure;
    }
    std::string title = Utf8OrQuestionMarks(job.documentName);
    std::string subject = Utf8OrQuestionMarks(job.presetName);
    std::string keywords = Utf8OrQuestionMarks(PdfKeywords(job));
    cairo_pdf_surface_set_metadata(surface.get(), CAIRO_PDF_METADATA_TITLE, title.c_str());
    cairo_pdf_surface_set_metadata(surface.get(), CAIRO_PDF_METADATA_SUBJECT, subject.c_str());
    cairo_pdf_surface_set_metadata(surface.get(), CAIRO_PDF_METADATA_KEYWORDS, keywords.c_str());
    cairo_pdf_surface_set_metadata(surface.get(), CAIRO_PDF_METADATA_CREATOR, "tessaron-host");
    {
        std::unique_ptr<cairo_t, ContextDeleter> cr(cairo_create(surface.get()));
        cairo_select_font_face(cr.get(), "sans-serif", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
        const auto total = static_cast<int32>(job.items.size());
        for (int32 i = 0; i < total; ++i) {
            const PdfItem& item = job.items[static_cast<std::size_t>(i)];
            std::size_t width = item.pageNames.empty() ? 1 : item.pageNames.size();
            cairo_pdf_surface_set_size(surface.get(), kPdfPageWidth * static_cast<double>(width), kPdfPageHeight);
            for (std::size_t p = 0; p < item.pageNames.size(); ++p)
                DrawPage(cr.get(), job, item.pageNames[p], kPdfPageWidth * static_cast<double>(p));
            cairo_show_page(cr.get());
            std::string failure;
            if (cairo_status(cr.get()) != CAIRO_STATUS_SUCCESS)
                failure = std::string("cannot be written: ") + cairo_status_to_string(cairo_status(cr.get()));
            else if (QuitSignal() != 0)  // a long export would hold up the quit
                failure = "not written: the host was asked to quit";
            if (!failure.empty()) {
                error = path + ": " + failure;
                cr.reset();
                surface.reset();
                cleanUp();
                return kFailure;
            }
            if (job.progress) job.progress(i + 1, total);
        }
    }
    cairo_surface_finish(surface.get());
    cairo_status_t status = cairo_surface_status(surface.get());
    surface.reset();
    if (status != CAIRO_STATUS_SUCCESS) {
        error = path + ": cannot be written: " + cairo_status_to_string(status);
        cleanUp();
        return kFailure;
    }
    bool flushed = ::fchmod(fd, FileMode()) == 0 && FileCalls::Get().sync(fd) == 0;
    int why = errno;
    if (::close(fd) != 0 && flushed) {
        flushed = false;
        why = errno;
    }
    fd = -1;
    if (!flushed) {
        error = path + ": cannot be written: " + std::strerror(why);
        cleanUp();
        return kFailure;
    }
    if (FileCalls::Get().rename(temp.c_str(), path.c_str()) != 0) {
        error = path + ": cannot be written: " + std::strerror(errno);
        cleanUp();
        return kFailure;
    }
    kept = true;
    ForgetTemporaryFile(temp);
    return kSuccess;
}

}  // namespace tshost
