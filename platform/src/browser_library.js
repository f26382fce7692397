// The page's side of the platform layer's browser backend: message boxes and
// dialogs as modals over the page, and files kept in the browser's storage.
// Linked into the program with --js-library; the C++ side is *_browser.cpp.

mergeInto(LibraryManager.library, {
  // Objects are made when the program starts (a library's fields are copied
  // as source text, which a Map or Set does not survive).
  $VelmoBrowser__postset: 'VelmoBrowser.boxes = new Map(); VelmoBrowser.forms = new Map(); ' +
                          'VelmoBrowser.kept = new Set();',
  $VelmoBrowser: {
    boxes: null,         // message box number -> answer (0 while open)
    forms: null,         // dialog number -> { presenter, modal, items }
    nextId: 1,
    kept: null,          // folders whose files live in the browser's storage
    storagePrefix: 'velmo-file:',

    // The windows' look, Win32's of the plug-in's time, added to the page once.
    style: `
      .velmo-modal { position: fixed; inset: 0; z-index: 1000; background: rgba(0, 0, 0, 0.3); }
      .velmo-window { position: absolute; left: 50%; top: 30%; transform: translate(-50%, 0);
        background: #d4d0c8; color: #000; border: 2px outset #fff; outline: none;
        box-shadow: 2px 2px 10px rgba(0, 0, 0, 0.6);
        font: 11px Tahoma, "MS Sans Serif", "DejaVu Sans", sans-serif; }
      .velmo-window.velmo-dialog { transform: none; }
      .velmo-title { display: flex; align-items: center; justify-content: space-between; gap: 8px;
        height: 18px; padding: 0 2px 0 4px; color: #fff; font-weight: bold;
        background: linear-gradient(90deg, #0a246a, #a6caf0); }
      .velmo-window button { font: inherit; color: #000; background: #d4d0c8; border: 2px outset #fff;
        padding: 0 4px; min-height: 0; }
      .velmo-window button:active { border-style: inset; }
      .velmo-window button:disabled { color: #808080; }
      .velmo-window .velmo-close { width: 16px; height: 14px; padding: 0; line-height: 8px;
        font-weight: bold; }
      .velmo-window button.velmo-default { outline: 1px solid #000; outline-offset: -1px; }
      .velmo-body { position: relative; }
      .velmo-dialog .velmo-body > * { position: absolute; margin: 0; box-sizing: border-box; }
      .velmo-check { display: flex; align-items: flex-start; gap: 4px; line-height: 13px;
        white-space: nowrap; overflow: visible; }
      .velmo-check input { margin: 0; width: 13px; height: 13px; flex: none; }
      .velmo-check.velmo-multiline { white-space: normal; }
      .velmo-check.velmo-disabled { color: #808080; }
      .velmo-group { border: 2px groove #fff; padding: 0; min-width: 0; }
      .velmo-group legend { padding: 0 2px; margin-left: 6px; font: inherit; line-height: 10px; }
      .velmo-text { line-height: 13px; white-space: nowrap; }
      .velmo-picture { border: 2px inset #fff; }
      .velmo-scroll { padding: 0; accent-color: #808080; }
      .velmo-message-box .velmo-body { padding: 14px 16px 10px; min-width: 260px; max-width: 480px; }
      .velmo-message { margin: 0 0 14px; white-space: pre-wrap; }
      .velmo-buttons { display: flex; justify-content: center; gap: 6px; }
      .velmo-buttons button { min-width: 75px; height: 23px; }
    `,

    // A modal layer over the page that holds one window (box or dialog).
    openModal: function(caption, onClose) {
      if (!document.getElementById('velmo-window-style')) {
        const style = document.createElement('style');
        style.id = 'velmo-window-style';
        style.textContent = VelmoBrowser.style;
        document.head.append(style);
      }
      const layer = document.createElement('div');
      layer.className = 'velmo-modal';
      const frame = document.createElement('div');
      frame.className = 'velmo-window';
      frame.setAttribute('role', 'dialog');
      frame.setAttribute('aria-modal', 'true');
      frame.setAttribute('aria-label', caption);
      const title = document.createElement('div');
      title.className = 'velmo-title';
      const text = document.createElement('span');
      text.textContent = caption;
      const close = document.createElement('button');
      close.className = 'velmo-close';
      close.type = 'button';
      close.textContent = '\u00d7';
      close.setAttribute('aria-label', 'Close');
      close.addEventListener('click', onClose);
      title.append(text, close);
      const body = document.createElement('div');
      body.className = 'velmo-body';
      frame.append(title, body);
      layer.append(frame);
      // Keys stay in the modal: the page's own keys wait until it is gone.
      layer.addEventListener('keydown', function(event) { event.stopPropagation(); });
      layer.addEventListener('keyup', function(event) { event.stopPropagation(); });
      return { layer: layer, frame: frame, body: body };
    },

    // Where a window owned by the host's main window goes: over the picture.
    ownerOrigin: function() {
      const owner = document.querySelector('[data-velmo-owner]');
      if (!owner) return { left: 0, top: 0 };
      const rect = owner.getBoundingClientRect();
      return { left: rect.left, top: rect.top };
    },

    bytesToText: function(bytes) {
      let text = '';
      for (let i = 0; i < bytes.length; i += 8192) {
        text += String.fromCharCode.apply(null, bytes.subarray(i, i + 8192));
      }
      return text;
    },

    textToBytes: function(text) {
      const bytes = new Uint8Array(text.length);
      for (let i = 0; i < text.length; i++) bytes[i] = text.charCodeAt(i) & 0xff;
      return bytes;
    },

    keptFolderOf: function(path) {
      for (const folder of VelmoBrowser.kept) {
        if (path.startsWith(folder + '/')) return folder;
      }
      return null;
    },

    keepFile: function(path) {
      if (!VelmoBrowser.keptFolderOf(path)) return;
      try {
        const bytes = FS.readFile(path);
        localStorage.setItem(VelmoBrowser.storagePrefix + path, VelmoBrowser.bytesToText(bytes));
      } catch (e) {
        // No storage (private window, quota): the file lasts as long as the page.
        console.warn('velmo: cannot keep ' + path + ' in the browser\'s storage: ' + e);
      }
    },

    forgetFile: function(path) {
      if (!VelmoBrowser.keptFolderOf(path)) return;
      try { localStorage.removeItem(VelmoBrowser.storagePrefix + path); } catch (e) {}
    },
  },

  velmoBrowserMessageBoxOpen__deps: ['$VelmoBrowser'],
  velmoBrowserMessageBoxOpen: function(text, caption, icon, buttons, buttonCount, defaultAnswer,
                                       dismissAnswer) {
    if (typeof document === 'undefined' || !document.body) return 0;
    const id = VelmoBrowser.nextId++;
    const labels = { 1: 'OK', 2: 'Cancel', 3: 'Abort', 4: 'Retry', 5: 'Ignore', 6: 'Yes', 7: 'No' };
    const answer = function(value) {
      if (VelmoBrowser.boxes.get(id) !== 0) return;
      VelmoBrowser.boxes.set(id, value);
      modal.layer.remove();
    };
    const modal = VelmoBrowser.openModal(UTF8ToString(caption), function() { answer(dismissAnswer || defaultAnswer); });
    modal.frame.classList.add('velmo-message-box');
    const icons = { 0x10: 'error', 0x20: 'question', 0x30: 'warning', 0x40: 'information' };
    if (icons[icon]) modal.frame.dataset.icon = icons[icon];
    const message = document.createElement('p');
    message.className = 'velmo-message';
    message.textContent = UTF8ToString(text);
    const row = document.createElement('div');
    row.className = 'velmo-buttons';
    let focus = null;
    for (let i = 0; i < buttonCount; i++) {
      const value = HEAP32[(buttons >> 2) + i];
      const button = document.createElement('button');
      button.type = 'button';
      button.textContent = labels[value] || '?';
      button.addEventListener('click', function() { answer(value); });
      if (value === defaultAnswer) focus = button;
      row.append(button);
    }
    modal.layer.addEventListener('keydown', function(event) {
      if (event.key === 'Escape' && dismissAnswer) answer(dismissAnswer);
    });
    modal.body.append(message, row);
    VelmoBrowser.boxes.set(id, 0);
    document.body.append(modal.layer);
    if (focus) focus.focus();
    return id;
  },

  velmoBrowserMessageBoxAnswer__deps: ['$VelmoBrowser'],
  velmoBrowserMessageBoxAnswer: function(id) {
    const value = VelmoBrowser.boxes.get(id) || 0;
    if (value) VelmoBrowser.boxes.delete(id);
    return value;
  },

  velmoBrowserDialogOpen__deps: ['$VelmoBrowser'],
  velmoBrowserDialogOpen: function(presenter, caption, x, y, width, height) {
    const id = VelmoBrowser.nextId++;
    const modal = VelmoBrowser.openModal(UTF8ToString(caption), function() {
      _velmoBrowserDialogCloseBox(presenter);
    });
    modal.frame.classList.add('velmo-dialog');
    modal.body.style.width = width + 'px';
    modal.body.style.height = height + 'px';
    modal.layer.addEventListener('keydown', function(event) {
      if (event.key === 'Escape') {
        event.preventDefault();
        _velmoBrowserDialogKey(presenter, 0x1b);
      } else if (event.key === 'Enter') {
        // A focused push button answers Enter itself; otherwise the default one does.
        const focused = document.activeElement;
        if (focused && focused.tagName === 'BUTTON' && modal.body.contains(focused)) return;
        event.preventDefault();
        _velmoBrowserDialogKey(presenter, 0x0d);
      }
    });
    VelmoBrowser.forms.set(id, { presenter: presenter, modal: modal, items: [], x: x, y: y });
    return id;
  },

  velmoBrowserDialogAdd__deps: ['$VelmoBrowser'],
  velmoBrowserDialogAdd: function(id, index, kind, text, x, y, width, height, isDefault, multiline,
                                  bitmap, bitmapSize) {
    const form = VelmoBrowser.forms.get(id);
    if (!form) return;
    const presenter = form.presenter;
    const label = UTF8ToString(text);
    let element, input = null;
    switch (kind) {
      case 0:  // push button
        element = document.createElement('button');
        element.type = 'button';
        element.textContent = label;
        if (isDefault) element.classList.add('velmo-default');
        element.addEventListener('click', function() { _velmoBrowserDialogClicked(presenter, index); });
        break;
      case 1:  // check box
        element = document.createElement('label');
        element.className = 'velmo-check' + (multiline ? ' velmo-multiline' : '');
        input = document.createElement('input');
        input.type = 'checkbox';
        input.addEventListener('change', function() { _velmoBrowserDialogClicked(presenter, index); });
        element.append(input, document.createElement('span'));
        element.lastChild.textContent = label;
        break;
      case 2:  // group box
        element = document.createElement('fieldset');
        element.className = 'velmo-group';
        element.append(document.createElement('legend'));
        element.firstChild.textContent = label;
        break;
      case 3:  // static text
        element = document.createElement('span');
        element.className = 'velmo-text';
        element.textContent = label;
        break;
      case 4:  // picture: the bitmap at its own size, in a sunken border
        element = document.createElement('img');
        element.className = 'velmo-picture';
        element.alt = '';
        if (bitmap && bitmapSize) {
          const bytes = HEAPU8.slice(bitmap, bitmap + bitmapSize);
          element.src = URL.createObjectURL(new Blob([bytes], { type: 'image/bmp' }));
        }
        break;
      case 5:  // horizontal scroll bar
        element = document.createElement('input');
        element.type = 'range';
        element.className = 'velmo-scroll';
        input = element;
        element.addEventListener('input', function() {
          _velmoBrowserDialogScrolled(presenter, index, Number(element.value));
        });
        break;
      default:
        return;
    }
    element.style.left = x + 'px';
    element.style.top = y + 'px';
    if (kind !== 4) {
      element.style.width = width + 'px';
      element.style.height = height + 'px';
    }
    element.dataset.index = index;
    form.items[index] = { kind: kind, element: element, input: input };
    form.modal.body.append(element);
  },

  velmoBrowserDialogUpdate__deps: ['$VelmoBrowser'],
  velmoBrowserDialogUpdate: function(id, index, text, enabled, checked, minimum, maximum, position) {
    const form = VelmoBrowser.forms.get(id);
    const item = form && form.items[index];
    if (!item) return;
    const label = UTF8ToString(text);
    const element = item.element;
    switch (item.kind) {
      case 0: element.textContent = label; element.disabled = !enabled; break;
      case 1:
        element.lastChild.textContent = label;
        item.input.disabled = !enabled;
        item.input.checked = !!checked;
        element.classList.toggle('velmo-disabled', !enabled);
        break;
      case 2: element.firstChild.textContent = label; break;
      case 3: element.textContent = label; break;
      case 5:
        element.min = minimum;
        element.max = maximum;
        element.value = position;
        element.disabled = !enabled;
        break;
    }
  },

  velmoBrowserDialogShow__deps: ['$VelmoBrowser'],
  velmoBrowserDialogShow: function(id) {
    const form = VelmoBrowser.forms.get(id);
    if (!form) return;
    const origin = VelmoBrowser.ownerOrigin();
    form.modal.frame.style.left = (origin.left + form.x) + 'px';
    form.modal.frame.style.top = (origin.top + form.y) + 'px';
    document.body.append(form.modal.layer);
    // No default focus (the dialog procedure asks for none); keys still reach the form.
    form.modal.frame.tabIndex = -1;
    form.modal.frame.focus();
  },

  velmoBrowserDialogClose__deps: ['$VelmoBrowser'],
  velmoBrowserDialogClose: function(id) {
    const form = VelmoBrowser.forms.get(id);
    if (!form) return;
    for (const item of form.items) {
      if (item && item.kind === 4 && item.element.src) URL.revokeObjectURL(item.element.src);
    }
    form.modal.layer.remove();
    VelmoBrowser.forms.delete(id);
  },

  velmoBrowserKeepFolder__deps: ['$VelmoBrowser', '$FS'],
  velmoBrowserKeepFolder: function(path) {
    const folder = UTF8ToString(path).replace(/\/+$/, '');
    if (VelmoBrowser.kept.has(folder)) return 1;
    VelmoBrowser.kept.add(folder);
    const prefix = VelmoBrowser.storagePrefix + folder + '/';
    let restored = true;
    try {
      FS.mkdirTree(folder);
      for (let i = 0; i < localStorage.length; i++) {
        const key = localStorage.key(i);
        if (!key.startsWith(prefix)) continue;
        const name = key.slice(prefix.length);
        if (name.indexOf('/') >= 0) continue;
        FS.writeFile(folder + '/' + name, VelmoBrowser.textToBytes(localStorage.getItem(key)));
      }
    } catch (e) {
      console.warn('velmo: the browser\'s storage cannot be read: ' + e);
      restored = false;
    }
    // The profile functions write a temporary file and rename it over the
    // old one: a file written in the folder is kept when it is closed, and
    // follows a rename. Files only read (the textures) are not copied.
    const delegate = FS.trackingDelegate;
    if (!delegate.velmoInstalled) {
      delegate.velmoInstalled = true;
      const written = new Set();
      delegate.onWriteToFile = function(filePath) { written.add(filePath); };
      delegate.onCloseFile = function(filePath) {
        if (!written.delete(filePath)) return;
        if (FS.analyzePath(filePath).exists) VelmoBrowser.keepFile(filePath);
      };
      delegate.onMovePath = function(oldPath, newPath) {
        VelmoBrowser.forgetFile(oldPath);
        if (VelmoBrowser.keptFolderOf(newPath)) VelmoBrowser.keepFile(newPath);
      };
      delegate.onDeletePath = function(filePath) { VelmoBrowser.forgetFile(filePath); };
    }
    return restored ? 1 : 0;
  },
});
