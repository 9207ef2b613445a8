#include "frontend/live_view.h"

#include <GL/gl.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <type_traits>

#include "engine/window.h"
#include "frontend/camera.h"
#include "frontend/match_overlay.h"
#include "frontend/match_screen.h"
#include "frontend/text_lines.h"

#ifndef GL_CLAMP_TO_EDGE
#define GL_CLAMP_TO_EDGE 0x812F
#endif

namespace {

// FNV-1a over 64-bit words (the tail byte by byte): a fingerprint of some 150 kB a frame.
class Fingerprint_Hash {
  public:
    void Bytes(const void* data, std::size_t size) {
        const unsigned char* bytes = static_cast<const unsigned char*>(data);
        std::size_t i = 0;
        for (; i + 8 <= size; i += 8) {
            std::uint64_t word;
            std::memcpy(&word, bytes + i, 8);
            value = (value ^ word) * 1099511628211ull;
            value ^= value >> 29;
        }
        for (; i < size; ++i) value = (value ^ bytes[i]) * 1099511628211ull;
    }
    template <typename T>
    void Add(const T& item) {
        static_assert(std::is_trivially_copyable_v<T>);
        Bytes(&item, sizeof item);
    }
    std::uint64_t value = 14695981039346656037ull;
};

// What CTarvelModel::Draw reads of a model. The points' colours are left out: the match
// screen recomputes them from the positions before drawing.
void Add_Model(Fingerprint_Hash& hash, const CTarvelModel& model) {
    hash.Add(model.points.size());
    for (const Model_Point& point : model.points) hash.Add(point.position);
    hash.Add(model.triangles.size());
    for (const Model_Triangle& face : model.triangles) {
        hash.Add(face.fade);
        hash.Add(face.normal);
        hash.Add(face.texcoords);
        hash.Add(face.texture);
        hash.Add(face.corners);
    }
}

bool Same_Place(const Camera& a, const Camera& b) {
    for (int i = 0; i < 3; ++i) {
        if (a.rotation[i] != b.rotation[i] || a.position[i] != b.position[i]) return false;
    }
    return true;
}

// Whether textures of any size may be made (OpenGL 2.0 and later); otherwise their sides
// are powers of two.
bool Any_Texture_Size() {
    static const bool any = [] {
        const char* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
        return version != nullptr && std::atoi(version) >= 2;
    }();
    return any;
}

int Texture_Side(int pixels) {
    if (Any_Texture_Size()) return pixels;
    int side = 1;
    while (side < pixels) side *= 2;
    return side;
}

// Binds again the texture the window believes bound, after another was used behind its back.
void Rebind_Window_Texture(CTarvelWindow& window) {
    const int current = window.Get_Current_Texture();
    glBindTexture(GL_TEXTURE_2D, current >= 0 ? window.Texture_Get_Data(current) : 0);
}

}  // namespace

bool Live_View::Fingerprint(Frontend_Context& context, int x, int y, int width, int height,
                            std::uint64_t* key) {
    // The camera the drawing would use: kept pixels only while it stands still.
    Camera camera = context.camera;
    Camera_Set_Targets(camera, context.settings.CameraView);
    Camera stepped = camera;
    Camera_Step(stepped, context.elapsed);
    if (!Same_Place(camera, stepped)) return false;

    const Match& match = context.match;
    Fingerprint_Hash hash;
    const int viewport[6] = {x, y, width, height, context.window.Width, context.window.Height};
    hash.Add(viewport);
    hash.Add(camera.rotation);
    hash.Add(camera.position);
    hash.Add(match.mode_family);
    Add_Model(hash, match.ground);
    Add_Model(hash, match.wall);
    hash.Add(match.sphere_count);
    for (int i = 0; i < match.sphere_count && i < Max_Spheres; ++i) {
        const Sphere& sphere = match.spheres[i];
        hash.Add(sphere.parked);
        hash.Add(sphere.launch_timer);
        hash.Add(sphere.model.position);
        hash.Add(sphere.model.velocity);
        Add_Model(hash, sphere.model);
    }
    for (const Side& side : match.sides) {
        hash.Add(side.closed);
        hash.Add(side.score);
        if (!side.closed) Add_Model(hash, side.paddle);
    }
    Text_Lines lines;
    Match_Overlay(context, lines);
    for (const Text_Line& line : lines.lines) {
        const float place[6] = {line.x, line.y, line.size, line.red, line.green, line.blue};
        hash.Add(place);
        hash.Add(line.centre);
        hash.Add(line.right_align);
        hash.Add(line.text.size());
        hash.Bytes(line.text.data(), line.text.size());
    }
    *key = hash.value;
    return true;
}

void Live_View::Draw(Frontend_Context& context, int x, int y, int width, int height) {
    CTarvelWindow& window = context.window;
    std::uint64_t key = 0;
    const bool keepable =
        width > 0 && height > 0 && Fingerprint(context, x, y, width, height, &key);
    if (keepable && kept_ && key == key_) {
        // What the drawing would have changed: the camera's targets and rates.
        Camera_Set_Targets(context.camera, context.settings.CameraView);
        Put_Back(x, y, width, height);
        Rebind_Window_Texture(window);
        window.Mode_3D();
    } else {
        glViewport(x, y, width, height);
        Match_Screen_Draw(context);
        kept_ = keepable && Keep(x, y, width, height);
        key_ = key;
        Rebind_Window_Texture(window);
    }
    glViewport(0, 0, window.Width, window.Height);
}

bool Live_View::Keep(int x, int y, int width, int height) {
    const int texture_width = Texture_Side(width);
    const int texture_height = Texture_Side(height);
    if (texture_ == 0) glGenTextures(1, &texture_);
    if (texture_ == 0) return false;
    glBindTexture(GL_TEXTURE_2D, texture_);
    if (texture_width != texture_width_ || texture_height != texture_height_) {
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, texture_width, texture_height, 0, GL_RGBA,
                     GL_UNSIGNED_BYTE, nullptr);
        texture_width_ = texture_width;
        texture_height_ = texture_height;
    }
    glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, x, y, width, height);
    return true;
}

void Live_View::Put_Back(int x, int y, int width, int height) {
    // Texel for pixel: each pixel centre falls on the centre of its own texel, unfiltered,
    // replacing what is there.
    glViewport(x, y, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0.0, width, 0.0, height, -1.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_LIGHTING);
    glDisable(GL_BLEND);
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, texture_);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    const float s = static_cast<float>(width) / static_cast<float>(texture_width_);
    const float t = static_cast<float>(height) / static_cast<float>(texture_height_);
    const float w = static_cast<float>(width);
    const float h = static_cast<float>(height);
    glBegin(GL_QUADS);
    glTexCoord2f(0.0f, 0.0f);
    glVertex2f(0.0f, 0.0f);
    glTexCoord2f(s, 0.0f);
    glVertex2f(w, 0.0f);
    glTexCoord2f(s, t);
    glVertex2f(w, h);
    glTexCoord2f(0.0f, t);
    glVertex2f(0.0f, h);
    glEnd();
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
}
