// The page's keys for the demo: each key's code becomes the keyboard
// device's scan code (set 1, 0x80 added for the extended keys), the same
// codes the desktop build takes from SDL.
'use strict';

const SCAN_CODES = (() => {
  const codes = {
    Escape: 0x01, Minus: 0x0C, Equal: 0x0D, Backspace: 0x0E, Tab: 0x0F,
    BracketLeft: 0x1A, BracketRight: 0x1B, Enter: 0x1C, ControlLeft: 0x1D,
    Semicolon: 0x27, Quote: 0x28, Backquote: 0x29, ShiftLeft: 0x2A, Backslash: 0x2B,
    Comma: 0x33, Period: 0x34, Slash: 0x35, ShiftRight: 0x36, NumpadMultiply: 0x37,
    AltLeft: 0x38, Space: 0x39, CapsLock: 0x3A,
    Numpad7: 0x47, Numpad8: 0x48, Numpad9: 0x49, NumpadSubtract: 0x4A,
    Numpad4: 0x4B, Numpad5: 0x4C, Numpad6: 0x4D, NumpadAdd: 0x4E,
    Numpad1: 0x4F, Numpad2: 0x50, Numpad3: 0x51, Numpad0: 0x52, NumpadDecimal: 0x53,
    F11: 0x57, F12: 0x58, NumpadEnter: 0x9C, ControlRight: 0x9D, NumpadDivide: 0xB5,
    AltRight: 0xB8, Home: 0xC7, ArrowUp: 0xC8, PageUp: 0xC9, ArrowLeft: 0xCB,
    ArrowRight: 0xCD, End: 0xCF, ArrowDown: 0xD0, PageDown: 0xD1, Insert: 0xD2, Delete: 0xD3,
  };
  'QWERTYUIOP'.split('').forEach((c, i) => { codes['Key' + c] = 0x10 + i; });
  'ASDFGHJKL'.split('').forEach((c, i) => { codes['Key' + c] = 0x1E + i; });
  'ZXCVBNM'.split('').forEach((c, i) => { codes['Key' + c] = 0x2C + i; });
  '1234567890'.split('').forEach((c, i) => { codes['Digit' + c] = 0x02 + i; });
  for (let i = 1; i <= 10; i++) codes['F' + i] = 0x3A + i;
  return codes;
})();

// What the backend's key handler takes besides the scan code: 27 Esc,
// 13 Enter, a printable character's code, or 0.
function keyValue(e) {
  if (e.key === 'Escape') return 27;
  if (e.key === 'Enter') return 13;
  if (e.key.length === 1 && !e.ctrlKey && !e.metaKey) return e.key.charCodeAt(0);
  return 0;
}

// Forward the page's key events to the running demo; onAltEnter runs inside
// the key's handler, where the page may go full screen.
function keysAttach(onAltEnter) {
  const send = (e, down) => {
    if (typeof Module === 'undefined' || !Module.running) return;
    const scan = SCAN_CODES[e.code] || 0;
    Module._pf_webKey(scan, down ? 1 : 0, keyValue(e), e.altKey ? 1 : 0, e.repeat ? 1 : 0);
    // Keep the browser's own meaning of these keys (scrolling, the menu bar)
    // out of the demo's way, but not its shortcuts with Ctrl.
    if (scan && !e.ctrlKey && !e.metaKey) e.preventDefault();
    if (down && e.altKey && e.key === 'Enter' && !e.repeat) onAltEnter();
  };
  window.addEventListener('keydown', e => send(e, true));
  window.addEventListener('keyup', e => send(e, false));
  window.addEventListener('blur', () => { if (Module.running) Module._pf_webFocus(0); });
  window.addEventListener('focus', () => { if (Module.running) Module._pf_webFocus(1); });
}
