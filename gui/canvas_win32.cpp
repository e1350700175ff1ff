#include "gui/canvas.h"

CanvasBase::~CanvasBase()
{
    destroying = true;
    delete drawContext;
}

void CanvasBase::OnPaint(DrawContext* context)
{
    if (inCallback || onPaint == nullptr || destroying)
        return;
    inCallback = true;
    onPaint(this, context);
    inCallback = false;
}

Canvas::Canvas(int x, int y, int width, int height, int alignment, bool visible)
    : ChildControl(x, y, width, height, alignment, visible)
{
}

Canvas::~Canvas()
{
    CanvasBase::destroying = true;
    ReleaseBuffer();
}

bool Canvas::Create()
{
    if (IsCreated())
        return true;
    if (!CreateNativeChild(L"STATIC", WS_CHILD | WS_CLIPSIBLINGS | SS_NOTIFY | SS_OWNERDRAW))
        return false;
    return ChildControl::Create();
}

void Canvas::Destroy()
{
    ReleaseBuffer();
    ChildControl::Destroy();
}

void Canvas::ReleaseBuffer()
{
    if (memoryDC != nullptr && previousBitmap != nullptr)
        SelectObject(memoryDC, previousBitmap);
    previousBitmap = nullptr;
    if (bitmap != nullptr)
        DeleteObject(bitmap);
    bitmap = nullptr;
    if (memoryDC != nullptr)
        DeleteDC(memoryDC);
    memoryDC = nullptr;
    bufferWidth = bufferHeight = 0;
}

HDC Canvas::PrepareBuffer(HDC paintDc)
{
    int x = 0, y = 0, w = 0, h = 0;
    GetBounds(&x, &y, &w, &h);
    if (memoryDC == nullptr)
        memoryDC = CreateCompatibleDC(paintDc);
    if (memoryDC == nullptr)
        return nullptr;
    if (bitmap != nullptr && (w != bufferWidth || h != bufferHeight)) {
        SelectObject(memoryDC, previousBitmap);
        previousBitmap = nullptr;
        DeleteObject(bitmap);
        bitmap = nullptr;
    }
    if (bitmap == nullptr) {
        bitmap = CreateCompatibleBitmap(paintDc, w, h);
        if (bitmap == nullptr)
            return nullptr;
        previousBitmap = SelectObject(memoryDC, bitmap);
        if (previousBitmap == nullptr || previousBitmap == HGDI_ERROR) {
            previousBitmap = nullptr;
            return nullptr;
        }
        bufferWidth = w;
        bufferHeight = h;
    }
    return memoryDC;
}

LRESULT Canvas::OnPaintMessage(WPARAM wParam, LPARAM lParam)
{
    ++paintRequests;
    if (inPaint || IsUpdateLocked(false))
        return 0;
    inPaint = true;
    paintRequests = 1;
    PAINTSTRUCT ps;
    HDC paintDc = BeginPaint(handle, &ps);
    if (paintDc == nullptr) {
        inPaint = false;
        if (--paintRequests == 0)
            return ChildControl::HandleMessage(WM_PAINT, wParam, lParam);
        return 0;
    }
    HDC target = paintDc;
    if (!doubleBuffered) {
        ReleaseBuffer();
    } else if (HDC buffer = PrepareBuffer(paintDc)) {
        target = buffer;
    } else {
        ReleaseBuffer();
    }
    if (!drawContext->IsActive()) {
        drawContext->SetWindow(handle);
        drawContext->SetDc(target);
    }
    drawContext->Begin();
    OnPaint(drawContext);
    drawContext->End();
    if (memoryDC != nullptr)
        BitBlt(paintDc, 0, 0, bufferWidth, bufferHeight, memoryDC, 0, 0, SRCCOPY);
    EndPaint(handle, &ps);
    inPaint = false;
    --paintRequests;
    return 0;
}

LRESULT Canvas::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_ERASEBKGND)
        return -1;
    if (message == WM_PAINT)
        return OnPaintMessage(wParam, lParam);
    return ChildControl::HandleMessage(message, wParam, lParam);
}
