#include "livepreview.h"

#include "livesource.h"
#include "platform/appenv.h"
#include "platform/browserview.h"
#include "platform/editarea.h"
#include "platform/previewpane.h"

#include <QCoreApplication>
#include <QEvent>
#include <QHash>
#include <QLoggingCategory>
#include <QPointer>
#include <QScrollBar>
#include <QSplitter>
#include <QTextBlock>
#include <QThreadPool>

#include <algorithm>
#include <utility>

// The steps of each update with their times (QT_LOGGING_RULES="tarnell.live.debug=true").
Q_LOGGING_CATEGORY(lcLive, "tarnell.live", QtWarningMsg)

namespace {

// The copies each live preview serves to its page from memory: the one it shows or is about to
// show, and the one its document was last brought up to date with (which the page asks for to
// compare the next one with).
struct Copy {
    QByteArray bytes;
    QByteArray mimeType;
};
struct Copies {
    quint64 serial = 0;
    Copy copy;
    quint64 shownSerial = 0;
    Copy shown;
};
QHash<int, Copies> &copies()
{
    static QHash<int, Copies> c;
    return c;
}

// A served copy by its address; anything the page refers to (pictures, style sheets, other
// pages) from the disk, as the preview tab serves it.
Browser::Reply serveLive(const QUrl &url)
{
    int viewer = 0;
    quint64 serial = 0;
    if (LiveSource::isPageRequest(url, &viewer, &serial)) {
        Browser::Reply reply;
        const auto it = copies().constFind(viewer);
        const Copy *copy = it == copies().cend()       ? nullptr
                           : serial == it->serial      ? &it->copy
                           : serial == it->shownSerial ? &it->shown
                                                       : nullptr;
        if (!copy) {
            reply.status = Browser::Reply::NotFound;
            return reply;
        }
        reply.mimeType = copy->mimeType;
        reply.data = copy->bytes;
        qCDebug(lcLive) << "served" << reply.data.size() << "bytes to" << url.query();
        return reply;
    }
    return PreviewPane::serveFile(url);
}

// The program's script in each served copy: finds the element for a source line, brings it
// into view, and reports Ctrl+clicks with the line of the element clicked.
const char kFollowScript[] = R"(
(function () {
    const attr = 'data-tarnell-line';
    let marked = null;
    const lineOf = function (el) { return parseInt(el.getAttribute(attr), 10); };
    // The last element that starts on the line or before it and takes room on the page.
    const elementFor = function (line) {
        if (!marked)
            marked = document.body ? document.body.querySelectorAll('[' + attr + ']') : [];
        let lo = 0, hi = marked.length - 1, found = -1;
        while (lo <= hi) {
            const mid = (lo + hi) >> 1;
            if (lineOf(marked[mid]) <= line) {
                found = mid;
                lo = mid + 1;
            } else {
                hi = mid - 1;
            }
        }
        for (let i = found, tries = 0; i >= 0 && tries < 1000; --i, ++tries)
            if (marked[i].getClientRects().length > 0)
                return marked[i];
        return document.body;
    };
    // toTop: the line is the editor's first visible one, and its element goes to the top;
    // otherwise the caret's element is brought into view unless some of it is there already.
    window.tarnellFollow = function (line, toTop) {
        const el = elementFor(line);
        if (!el)
            return false;
        const r = el.getBoundingClientRect();
        const h = window.innerHeight;
        if (r.top < 0 && r.bottom > h)
            return false;  // it fills the view
        if (toTop) {
            if (Math.abs(r.top) < 1)
                return false;
            window.scrollBy(0, r.top);
            return true;
        }
        // Whole in the view, or a tall element of which a good part shows.
        if ((r.top >= 0 && r.bottom <= h) || (r.height > h / 2 && r.top < h - h / 4 && r.bottom > h / 4))
            return false;
        window.scrollBy(0, r.top - h / 3);
        return true;
    };

    // Bringing the shown document up to date with a new copy of its page in place, instead of
    // loading the copy: only the parts of the body that differ are replaced, so the engine lays
    // out only those, and the scroll position stays. Used for pages without scripts only
    // (LiveSource::isStatic), whose document is what their text says. Answers false, leaving
    // the rest to a full load, when anything outside the body differs (doctype, html element,
    // head: styles, title, base address) or the body is not a body.
    const TEXT = 3, ELEMENT = 1, COMMENT = 8;
    const sameAttributes = function (a, b) {
        const x = a.attributes, y = b.attributes;
        if (x.length !== y.length)
            return false;
        for (let i = 0; i < x.length; ++i) {
            const n = x[i];
            const m = y.getNamedItemNS(n.namespaceURI, n.localName);
            if (!m || (n.name !== attr && m.value !== n.value))
                return false;
        }
        return true;
    };
    // The same node apart from its children and its source line.
    const shallowSame = function (a, b) {
        if (a.nodeType !== b.nodeType)
            return false;
        if (a.nodeType === ELEMENT)
            return a.namespaceURI === b.namespaceURI && a.localName === b.localName && sameAttributes(a, b) &&
                (a.localName !== 'template' || a.content.isEqualNode(b.content));
        if (a.nodeType === TEXT || a.nodeType === COMMENT)
            return a.data === b.data;
        return a.isEqualNode(b);
    };
    const takeLine = function (a, b) {
        const line = b.getAttribute(attr);
        if (line !== null && a.getAttribute(attr) !== line)
            a.setAttribute(attr, line);
    };
    // A node as markup (made by the engine, so cheap to compare) and without its source lines.
    const markup = function (n) {
        return n.nodeType === ELEMENT ? n.outerHTML : n.nodeType + ':' + (n.nodeValue !== null ? n.nodeValue : n.nodeName);
    };
    const marks = new RegExp('(<[A-Za-z][^\\s/>]*) ' + attr + '="\\d+"', 'g');
    const unmarked = function (text) { return text.replace(marks, '$1'); };
    // Gives every marked element under a (and a) the source line of its counterpart under b.
    const takeLines = function (a, b) {
        if (a.nodeType !== ELEMENT)
            return;
        takeLine(a, b);
        const x = markedIn(a), y = markedIn(b);
        for (let i = 0; i < x.length && i < y.length; ++i) {
            const line = y[i].getAttribute(attr);
            if (x[i].getAttribute(attr) !== line)
                x[i].setAttribute(attr, line);
        }
    };
    // a's children made those of b: equal ones at both ends are kept (their source lines brought
    // up to date), a single differing element of the same kind is patched in turn, anything else
    // in between replaced.
    const patch = function (a, b) {
        const x = Array.from(a.childNodes), y = Array.from(b.childNodes);
        const keys = new Map();
        const key = function (n) {
            let k = keys.get(n);
            if (k === undefined) {
                k = markup(n);
                keys.set(n, k);
            }
            return k;
        };
        // Equal as they are, or equal but for source lines (then a's lines are b's).
        const same = function (m, n) {
            const k = key(m), l = key(n);
            if (k === l)
                return true;
            if (unmarked(k) !== unmarked(l))
                return false;
            takeLines(m, n);
            return true;
        };
        let s = 0;
        const n = Math.min(x.length, y.length);
        while (s < n && same(x[s], y[s]))
            ++s;
        let ex = x.length, ey = y.length;
        while (ex > s && ey > s && same(x[ex - 1], y[ey - 1])) {
            --ex;
            --ey;
        }
        if (ex - s === 1 && ey - s === 1 && x[s].nodeType === ELEMENT && shallowSame(x[s], y[s])) {
            takeLine(x[s], y[s]);
            patch(x[s], y[s]);
            return;
        }
        const before = ex < x.length ? x[ex] : null;
        for (let i = s; i < ex; ++i)
            a.removeChild(x[i]);
        const news = document.createDocumentFragment();
        for (let i = s; i < ey; ++i)
            news.appendChild(document.adoptNode(y[i]));
        a.insertBefore(news, before);
    };
    // Whole subtrees compared (outside the body): equal but for source lines.
    const same = function (a, b) {
        if (a.nodeType !== b.nodeType)
            return false;
        if (a.nodeType !== ELEMENT)
            return shallowSame(a, b);
        if (unmarked(a.outerHTML) !== unmarked(b.outerHTML))
            return false;
        takeLines(a, b);
        return true;
    };
    // The children of a and b pair off, each pair equal by equal(), but for skip in a and
    // skipNext in b, which stand at the same place (the body on the way down to it).
    const sameChildren = function (a, b, skip, skipNext, equal) {
        const x = a.childNodes, y = b.childNodes;
        if (x.length !== y.length)
            return false;
        for (let i = 0; i < x.length; ++i)
            if ((x[i] === skip) !== (y[i] === skipNext) || (x[i] !== skip && !equal(x[i], y[i])))
                return false;
        return true;
    };
    let parseMs = 0;
    const patchDocument = function (html) {
        const started = performance.now();
        const next = new DOMParser().parseFromString(html, 'text/html');
        parseMs = performance.now() - started;
        const root = document.documentElement, nextRoot = next.documentElement;
        const body = document.body, nextBody = next.body;
        if (next.compatMode !== document.compatMode || !root || !nextRoot || !body || !nextBody ||
            body.localName !== 'body' || nextBody.localName !== 'body' || body.parentNode !== root ||
            nextBody.parentNode !== nextRoot || !shallowSame(root, nextRoot))
            return false;
        if (!sameChildren(document, next, root, nextRoot, same) || !sameChildren(root, nextRoot, body, nextBody, same))
            return false;
        takeLine(root, nextRoot);
        for (const n of Array.from(body.attributes))
            if (!nextBody.hasAttribute(n.name))
                body.removeAttribute(n.name);
        for (const n of Array.from(nextBody.attributes))
            if (body.getAttribute(n.name) !== n.value)
                body.setAttribute(n.name, n.value);
        patch(body, nextBody);
        marked = null;
        return true;
    };
    // Pages with scripts. Their document need not be what their text says (the scripts may have
    // changed it since the load), so the next copy is compared with the previous one, both
    // parsed here, and only an edit that keeps every element as it was is carried over: its new
    // text and attribute values are set in the document where the elements they belong to are
    // still as the previous copy has them. The page's scripts keep running with their state.
    // Anything else (a new or removed element, a script, an event handler, a javascript:
    // address, an element a script changed) is left to a full load.
    let kept = null, keptId = '';  // the parse of the copy the document was last brought up to date with
    const scriptish = new Set(['script', 'noscript', 'template', 'iframe', 'frame', 'frameset', 'object', 'embed',
                               'applet', 'portal', 'noembed', 'noframes']);
    // An address the engine would run (it drops blanks and controls inside the scheme name).
    const runsScript = function (value) {
        return value.replace(/[\u0000-\u0020]/g, '').toLowerCase().indexOf('javascript:') >= 0;
    };
    // An event handler or a javascript: address among the element's attributes.
    const hasScript = function (el) {
        for (const a of el.attributes)
            if (/^on/i.test(a.localName) || runsScript(a.value))
                return true;
        return false;
    };
    // The same attribute names; the values may differ.
    const sameNames = function (a, b) {
        const x = a.attributes, y = b.attributes;
        if (x.length !== y.length)
            return false;
        for (const n of x)
            if (!y.getNamedItemNS(n.namespaceURI, n.localName))
                return false;
        return true;
    };
    // Equal, or equal but for source lines (then edit.lines is set).
    const equalButLines = function (a, b, edit) {
        if (a.isEqualNode(b))
            return true;
        if (a.nodeType !== ELEMENT || b.nodeType !== ELEMENT || unmarked(a.outerHTML) !== unmarked(b.outerHTML))
            return false;
        edit.lines = true;
        return true;
    };
    // The live element that is p's child i, of the live element l that is p: the one at the same
    // place while l has as many children as p, else the one with the same source line and as
    // many siblings of that line before it (the page's scripts may have added or removed
    // children around it; what they add carries no source line).
    const counterpart = function (l, p, i) {
        const x = p.childNodes, z = l.childNodes;
        if (z.length === x.length)
            return z[i];
        const line = x[i].getAttribute(attr);
        if (line === null)
            return null;
        let before = 0;
        for (let t = 0; t < i; ++t)
            if (x[t].nodeType === ELEMENT && x[t].getAttribute(attr) === line)
                ++before;
        for (const c of z)
            if (c.nodeType === ELEMENT && c.getAttribute(attr) === line && before-- === 0)
                return c;
        return null;
    };
    // What turns the live element l into n, where p is l as the previous copy had it and n has
    // p's name and attribute names: new attribute values (edit.values) and texts (edit.texts), and
    // the elements these belong to with their previous form (edit.changed). False when the edit
    // adds, removes or renames anything, touches scripts, or the live document no longer has the
    // previous copy's shape on the way to a change (edit.why says which).
    const compare = function (l, p, n, edit) {
        const refuse = function (why) {
            edit.why = why;
            return false;
        };
        let changed = false;
        for (const a of p.attributes) {
            const b = n.attributes.getNamedItemNS(a.namespaceURI, a.localName);
            if (b.value === a.value)
                continue;
            if (a.name === attr) {
                edit.lines = true;
                continue;
            }
            if (runsScript(a.value) || runsScript(b.value))
                return refuse('a javascript: address');
            edit.values.push([l, a.namespaceURI, a.localName, b.value]);
            changed = true;
        }
        const x = p.childNodes, y = n.childNodes, z = l.childNodes;
        if (x.length !== y.length)
            return refuse('nodes added or removed');
        const differ = [];
        for (let i = 0; i < x.length; ++i)
            if (!x[i].isEqualNode(y[i]))
                differ.push(i);
        for (const i of differ) {
            const a = x[i], b = y[i];
            if (b.nodeType !== a.nodeType)
                return refuse('nodes replaced');
            if (a.nodeType === TEXT || a.nodeType === COMMENT) {
                // (Its element is compared whole below: the page changed none of its children.)
                const c = z.length === x.length ? z[i] : null;
                if (!c || c.nodeType !== a.nodeType || c.data !== a.data)
                    return refuse('changed by the page');
                edit.texts.push([c, b.data]);
                changed = true;
                continue;
            }
            if (a.nodeType !== ELEMENT)
                return refuse('nodes replaced');
            // Where several differ (after a line added or removed above them), most differ in
            // their source lines only: told by their markup, not node by node.
            if (differ.length > 1 && unmarked(a.outerHTML) === unmarked(b.outerHTML)) {
                edit.lines = true;
                continue;
            }
            if (b.namespaceURI !== a.namespaceURI || b.localName !== a.localName || !sameNames(a, b))
                return refuse('elements renamed or attributes added or removed');
            if (scriptish.has(a.localName))
                return refuse('scripts');
            const c = counterpart(l, p, i);
            if (!c || c.namespaceURI !== a.namespaceURI || c.localName !== a.localName ||
                c.getAttribute(attr) !== a.getAttribute(attr))
                return refuse('changed by the page');
            if (!compare(c, a, b, edit))
                return false;
        }
        if (changed) {
            if (scriptish.has(p.localName) || hasScript(p))
                return refuse('scripts');
            edit.changed.push([l, p]);
        }
        return true;
    };
    // The marked elements under root in document order, then those in the contents of its
    // templates (and of root itself when it is one).
    const markedIn = function (root) {
        const list = Array.from(root.querySelectorAll('[' + attr + ']'));
        const templates = Array.from(root.querySelectorAll('template'));
        if (root.localName === 'template')
            templates.unshift(root);
        for (const t of templates)
            if (t.content)
                for (const el of markedIn(t.content))
                    list.push(el);
        return list;
    };
    // Every element of the document gets the source line its counterpart has in next, prev and
    // next being of the same shape: the n-th element marked line k in prev takes the line of
    // its counterpart in next (elements the page added or removed aside).
    const moveLines = function (prev, next) {
        const x = markedIn(prev), y = markedIn(next);
        if (x.length !== y.length)
            return;
        const moved = new Map();
        for (let i = 0; i < x.length; ++i) {
            const from = x[i].getAttribute(attr);
            let to = moved.get(from);
            if (!to)
                moved.set(from, to = []);
            to.push(y[i].getAttribute(attr));
        }
        const seen = new Map();
        for (const el of markedIn(document)) {
            const from = el.getAttribute(attr);
            const to = moved.get(from);
            if (!to)
                continue;
            const k = seen.get(from) || 0;
            seen.set(from, k + 1);
            const line = to[Math.min(k, to.length - 1)];
            if (line !== from)
                el.setAttribute(attr, line);
        }
    };
    // Brings the document from prev to next in place; '' when done, else why not (nothing
    // changed then).
    const patchScripted = function (prev, next) {
        if (next.compatMode !== prev.compatMode || document.compatMode !== prev.compatMode)
            return 'mode';
        const pRoot = prev.documentElement, nRoot = next.documentElement, root = document.documentElement;
        const pBody = prev.body, nBody = next.body, body = document.body;
        if (!pRoot || !nRoot || !root || !pBody || !nBody || !body || pBody.localName !== 'body' ||
            nBody.localName !== 'body' || body.localName !== 'body' || pBody.parentNode !== pRoot ||
            nBody.parentNode !== nRoot || body.parentNode !== root || !sameNames(pBody, nBody))
            return 'attributes added or removed';
        const edit = { values: [], texts: [], changed: [], lines: false, why: '' };
        // Outside the body (doctype, the html element, the head) both copies are the same.
        const outside = function (a, b) { return equalButLines(a, b, edit); };
        if (!sameNames(pRoot, nRoot) || !sameChildren(prev, next, pRoot, nRoot, outside) ||
            !sameChildren(pRoot, nRoot, pBody, nBody, outside))
            return 'head';
        for (const a of pRoot.attributes)
            if (a.value !== nRoot.getAttributeNS(a.namespaceURI, a.localName)) {
                if (a.name !== attr)
                    return 'head';
                edit.lines = true;
            }
        // Template contents are not compared as nodes: any change in them is a change of scripts.
        const pt = prev.querySelectorAll('template'), nt = next.querySelectorAll('template');
        if (pt.length !== nt.length)
            return 'nodes added or removed';
        for (let i = 0; i < pt.length; ++i)
            if (unmarked(pt[i].outerHTML) !== unmarked(nt[i].outerHTML))
                return 'scripts';
        if (!compare(body, pBody, nBody, edit))
            return edit.why;
        for (const [l, p] of edit.changed)
            if (unmarked(l.outerHTML) !== unmarked(p.outerHTML))
                return 'changed by the page';
        for (const [el, ns, name, value] of edit.values) {
            const a = el.getAttributeNodeNS(ns, name);
            if (a)
                a.value = value;
        }
        for (const [node, text] of edit.texts)
            node.data = text;
        if (edit.lines)
            moveLines(prev, next);
        marked = null;
        return '';
    };

    // The copy id (of this page's address) as text, or null when it cannot be had.
    const fetchCopy = function (id, charset, done) {
        const url = new URL(location.href);
        url.hash = '';
        url.search = 'live=' + id;
        const request = new XMLHttpRequest();
        request.open('GET', url.href);
        request.responseType = 'arraybuffer';
        request.onload = function () {
            let html = null;
            if (request.status < 400) {
                try {
                    html = new TextDecoder(charset).decode(request.response);
                } catch (e) {
                }
            }
            done(html);
        };
        request.onerror = function () { done(null); };
        request.send();
    };
    // Brings the document up to date with copy id; tells the program "patched:<id>:ok:<times>",
    // or "patched:<id>:no:<why>" when the copy has to be loaded instead. For a page with scripts
    // previous names the copy the document was last brought up to date with.
    window.tarnellUpdate = function (id, charset, previous, previousCharset) {
        const asked = performance.now();
        const answer = function (text) { tarnellSend('patched:' + id + ':' + text); };
        const scripted = !!previous;
        const parsePrevious = scripted && !(kept && keptId === previous);
        let waiting = parsePrevious ? 2 : 1;
        let html = null, previousHtml = null;
        const arrived = function () {
            if (--waiting > 0)
                return;
            if (html === null || (parsePrevious && previousHtml === null))
                return answer('no:the copy was not there');
            const got = performance.now();
            try {
                let why = '';
                let parsed = got;
                if (scripted) {
                    const next = new DOMParser().parseFromString(html, 'text/html');
                    if (parsePrevious) {
                        kept = new DOMParser().parseFromString(previousHtml, 'text/html');
                        keptId = previous;
                    }
                    parsed = performance.now();
                    why = patchScripted(kept, next);
                    if (!why) {
                        kept = next;
                        keptId = id;
                    }
                } else {
                    kept = null;
                    keptId = '';
                    why = patchDocument(html) ? '' : 'outside the body';
                    parsed = got + parseMs;
                }
                // With the times taken (ms): the copies fetched and decoded, parsed, compared and set.
                const f = function (t) { return t.toFixed(0); };
                answer((why ? 'no:' + why + ':' : 'ok:') + f(got - asked) + ',' + f(parsed - got) + ',' +
                       f(performance.now() - parsed));
            } catch (e) {
                answer('no:' + e);
            }
        };
        fetchCopy(id, charset, function (text) {
            html = text;
            arrived();
        });
        if (parsePrevious)
            fetchCopy(previous, previousCharset, function (text) {
                previousHtml = text;
                arrived();
            });
        return true;
    };
    document.addEventListener('click', function (e) {
        if (!e.ctrlKey || e.button !== 0)
            return;
        e.preventDefault();
        e.stopPropagation();
        let node = e.target;
        if (node && !(node instanceof Element))
            node = node.parentElement;
        const el = node ? node.closest('[' + attr + ']') : null;
        if (el)
            tarnellSend('line:' + lineOf(el));
    }, true);
})();
)";

int nextViewer()
{
    static int n = 0;
    return ++n;
}

}  // namespace

void LivePreview::registerScheme()
{
    static const bool done = BrowserView::addScheme(LiveSource::kScheme, serveLive, Browser::SchemeSyntax::Host);
    (void)done;
}

LivePreview::LivePreview(EditArea *edit, QSplitter *splitter, std::function<Document()> document, QObject *parent)
    : QObject(parent), m_edit(edit), m_splitter(splitter), m_document(std::move(document)), m_viewer(nextViewer()),
      m_delay(LiveSource::kShortestDelay)
{
    m_pause.setSingleShot(true);
    connect(&m_pause, &QTimer::timeout, this, &LivePreview::startUpdate);
    m_followTimer.setSingleShot(true);
    m_followTimer.setInterval(120);
    connect(&m_followTimer, &QTimer::timeout, this, &LivePreview::follow);
    m_hangTimer.setSingleShot(true);
    connect(&m_hangTimer, &QTimer::timeout, this, &LivePreview::loadWhenReady);
    m_patchTimer.setSingleShot(true);
    connect(&m_patchTimer, &QTimer::timeout, this, [this] {
        if (!m_patching)
            return;
        qCDebug(lcLive) << "patch" << m_loadingSerial << "unanswered: loading";
        m_view->abandonRenderer();
        m_retries = 1;
        fullLoad();
    });

    // Per key only a timer is restarted: the text is read once the typing pauses.
    connect(m_edit, &EditArea::textEdited, this, &LivePreview::textChanged);
    connect(m_edit, &QPlainTextEdit::cursorPositionChanged, this, [this] {
        if (m_shown) {
            m_caretMoved = true;
            m_caretSinceLoad = true;
            m_followTimer.start();
        }
    });
    connect(m_edit->verticalScrollBar(), &QScrollBar::valueChanged, this, [this] {
        if (m_shown) {
            m_scrolled = true;
            m_followTimer.start();
        }
    });
    connect(m_splitter, &QSplitter::splitterMoved, this, &LivePreview::saveSizes);
    if (QWidget *window = m_splitter->window())
        window->installEventFilter(this);
}

LivePreview::~LivePreview()
{
    copies().remove(m_viewer);
    // The view may outlive this object for a moment (the window deletes its children in turn).
    if (m_view)
        m_view->setNavigationFilter({});
}

void LivePreview::ensureView()
{
    if (m_view)
        return;
    registerScheme();
    m_view = new BrowserView(nullptr, Browser::PageKind::Quiet);
    m_view->setObjectName("LivePreview");
    // The page never takes the keyboard by itself; a click still gives it the focus.
    m_view->setFocusPolicy(Qt::ClickFocus);
    m_view->setProgramScript(QString::fromUtf8(kFollowScript));
    m_view->setNavigationFilter([this](const QUrl &url, Browser::Navigation how, bool mainFrame) {
        return acceptNavigation(url, int(how), mainFrame);
    });
    connect(m_view, &BrowserView::loadEnded, this, &LivePreview::loadEnded);
    connect(m_view, &BrowserView::programMessage, this, [this](const QString &text) {
        if (text.startsWith(QLatin1String("line:")))
            sourceLineClicked(text.mid(5).toInt());
        else if (text.startsWith(QLatin1String("patched:")))
            patched(text.mid(8));
    });
    connect(m_view, &BrowserView::refused, this, [this](Browser::Refusal what, const QUrl &url) {
        emit statusMessage(what == Browser::Refusal::Download
                               ? QStringLiteral("ライブプレビューではダウンロードしません（%1）。").arg(url.toDisplayString())
                               : QStringLiteral("ライブプレビューでは新しいウィンドウを開きません（%1）。").arg(url.toDisplayString()));
    });
    m_splitter->addWidget(m_view);
    m_splitter->setCollapsible(m_splitter->indexOf(m_view), false);
    fitOrientation();
}

bool LivePreview::acceptNavigation(const QUrl &url, int how, bool mainFrame)
{
    const auto kind = Browser::Navigation(how);
    if (mainFrame && kind == Browser::Navigation::Program && url == m_loadingUrl)
        return true;
    // A link within the page itself only scrolls it.
    if (mainFrame && kind == Browser::Navigation::Link && !m_shownUrl.isEmpty() &&
        url.adjusted(QUrl::RemoveFragment) == m_shownUrl.adjusted(QUrl::RemoveFragment) && url.hasFragment())
        return true;
    const bool byUser = kind == Browser::Navigation::Link || kind == Browser::Navigation::Form;
    // Frames of the page load what the page asks for; a click inside them goes nowhere either.
    if (!mainFrame && !byUser)
        return true;
    if (byUser)
        emit statusMessage(QStringLiteral("ライブプレビューではリンク先を開きません（%1）。").arg(url.toDisplayString()));
    else
        emit statusMessage(QStringLiteral("ライブプレビューでは、ページによる移動や再読み込みは行いません。"));
    return false;
}

void LivePreview::setShown(bool shown)
{
    if (shown == m_shown)
        return;
    m_shown = shown;
    if (!shown) {
        m_pause.stop();
        m_followTimer.stop();
        if (m_view)
            m_view->hide();
        return;
    }
    ensureView();
    m_view->show();
    restoreSizes();
    m_dirty = true;
    // Shown again: the page is loaded afresh (its scripts run again over the whole text).
    m_loadNext = true;
    startUpdate();
}

void LivePreview::textChanged()
{
    m_dirty = true;
    if (m_shown)
        m_pause.start(m_delay);
}

void LivePreview::updateNow()
{
    m_pause.stop();
    m_dirty = true;
    startUpdate();
}

void LivePreview::startUpdate()
{
    if (!m_shown || !m_view || !m_dirty)
        return;
    if (m_preparing)
        return;  // the copy being prepared is followed by another (m_dirty stays set)
    m_dirty = false;
    m_preparing = true;
    m_prepared = false;
    m_clock.start();

    // Does the page shown now still answer? One stuck in a script is replaced, not waited for.
    m_answered = !m_pageExists;
    if (!m_answered) {
        const quint64 probe = ++m_probe;
        // A page at rest answers at once. One still being laid out may be busy for a while in
        // one piece (seconds on a page of megabytes): it gets ten times as long, and at least
        // three times what the last render took.
        const qint64 patience = m_loading ? std::max<qint64>(10 * qint64(m_hangTimeout), 3 * m_lastRender) : m_hangTimeout;
        m_hangTimer.start(int(std::min<qint64>(patience, 600000)));
        m_view->runProgramScript(QStringLiteral("1"), [this, guard = QPointer<LivePreview>(this), probe](const QVariant &) {
            if (!guard || probe != m_probe)
                return;
            m_answered = true;
            m_hangTimer.stop();
            loadWhenReady();
        });
    }

    // The text is read here, once per pause; marking the lines and encoding run on a worker.
    const QString text = m_edit->text();
    const Document doc = m_document();
    const quint64 serial = ++m_serial;
    qCDebug(lcLive) << "update" << serial << "text read after" << m_clock.nsecsElapsed() / 1000 << "us";
    QThreadPool::globalInstance()->start([text, doc, serial, guard = QPointer<LivePreview>(this)] {
        QElapsedTimer work;
        work.start();
        const LiveSource::Served served = LiveSource::serve(text, doc.format);
        qCDebug(lcLive) << "copy" << serial << "made in" << work.elapsed() << "ms";
        QMetaObject::invokeMethod(
            qApp, [guard, served, path = doc.path, serial] {
                if (guard)
                    guard->prepared(served, path, serial);
            },
            Qt::QueuedConnection);
    });
}

void LivePreview::prepared(const LiveSource::Served &served, const QString &path, quint64 serial)
{
    if (serial != m_serial)
        return;
    m_readyBytes = served.bytes;
    m_readyType = served.mimeType;
    m_readyStatic = served.isStatic;
    m_readyPath = path;
    m_prepared = true;
    loadWhenReady();
}

void LivePreview::loadWhenReady()
{
    if (!m_prepared || !m_view)
        return;
    if (!m_answered && m_hangTimer.isActive())
        return;  // still waiting for the page's answer
    if (m_loading && m_answered)
        return;  // the page renders the previous copy: one render at a time
    bool hung = false;
    if (!m_answered || m_loading) {
        // No answer in time: the page hangs. Its renderer goes, the copy is loaded into a new one.
        m_view->abandonRenderer();
        m_retries = 1;
        hung = true;
    }
    m_prepared = false;
    m_preparing = false;
    m_loading = true;
    m_patching = false;
    m_patchTimer.stop();
    m_loadClock = m_clock;
    // The last copy was shown, the next is of the same document in the same encoding: the page
    // brings its document up to date in place where it can (it fetches the copy from memory
    // itself). One without scripts takes whatever changed in its body; one with scripts only
    // new text and attribute values (and compares the copy with the shown one for that).
    m_sameDocument = m_readyPath == m_servedPath;
    const bool reload = std::exchange(m_loadNext, false);
    const bool inPlace = m_inPlace && !hung && !reload && m_shownOk && m_sameDocument && !m_shownUrl.isEmpty() &&
                         m_readyType == m_shownType;
    const bool asStatic = m_shownStatic && m_readyStatic;
    m_servedPath = m_readyPath;
    m_loadingStatic = m_readyStatic;
    m_loadingType = m_readyType;
    Copies &kept = copies()[m_viewer];
    kept.copy = Copy{std::exchange(m_readyBytes, {}), std::exchange(m_readyType, {})};
    kept.serial = m_serial;
    m_loadingSerial = m_serial;
    m_loadingUrl = LiveSource::pageUrl(m_servedPath, m_viewer, m_loadingSerial);
    m_pageExists = true;
    if (inPlace) {
        m_patching = true;
        const qsizetype charset = m_loadingType.indexOf("charset=");
        const QString encoding = QString::fromLatin1(charset < 0 ? QByteArray("UTF-8") : m_loadingType.mid(charset + 8));
        qCDebug(lcLive) << "patch" << m_loadingSerial << (asStatic ? "starts" : "with scripts starts")
                        << m_loadClock.elapsed() << "ms after the pause";
        // Should the page not answer (its renderer gone), the copy is loaded after all.
        m_patchTimer.start(int(std::clamp<qint64>(3 * m_lastRender, 10 * qint64(m_hangTimeout), 600000)));
        m_view->runProgramScript(QStringLiteral("typeof tarnellUpdate === 'function' && tarnellUpdate('%1.%2', '%3', '%4', '%3')")
                                     .arg(m_viewer)
                                     .arg(m_loadingSerial)
                                     .arg(encoding, asStatic ? QString() : QStringLiteral("%1.%2").arg(m_viewer).arg(m_shownSerial)),
                                 [this, guard = QPointer<LivePreview>(this), serial = m_loadingSerial](const QVariant &v) {
                                     if (guard && m_patching && serial == m_loadingSerial && !v.toBool())
                                         fullLoad();
                                 });
        return;
    }
    fullLoad();
}

void LivePreview::fullLoad()
{
    m_patching = false;
    m_patchTimer.stop();
    // The same document stays where the reader was; another one starts at its top.
    const QPointF at = m_sameDocument ? m_view->scrollPosition() : QPointF();
    qCDebug(lcLive) << "load" << m_loadingSerial << "starts" << m_loadClock.elapsed() << "ms after the pause";
    m_view->loadAt(m_loadingUrl, at);
}

void LivePreview::patched(const QString &answer)
{
    const QString id = QStringLiteral("%1.%2").arg(m_viewer).arg(m_loadingSerial);
    if (!m_patching || !answer.startsWith(id + u':'))
        return;
    qCDebug(lcLive) << "patch" << m_loadingSerial << "answered" << answer.mid(id.size() + 1)
                    << "(ms: copies fetched and decoded, parsed, compared and set)";
    if (!answer.mid(id.size() + 1).startsWith(QLatin1String("ok"))) {
        qCDebug(lcLive) << "patch" << m_loadingSerial << "refused after" << m_loadClock.elapsed() << "ms: loading";
        fullLoad();
        return;
    }
    m_patching = false;
    m_patchTimer.stop();
    m_lastInPlace = true;
    finishUpdate(true);
}

void LivePreview::loadEnded(const QUrl &url, bool ok)
{
    // Only the end of the load started last counts (not one it replaced).
    quint64 serial = 0;
    if (!m_loading || !LiveSource::isPageRequest(url, nullptr, &serial) || serial != m_loadingSerial)
        return;
    if (!ok && m_retries > 0) {
        // The renderer just ended was still there when this load began (the next one is of the
        // same origin and went to it): once it is gone, the engine starts a new one.
        --m_retries;
        qCDebug(lcLive) << "load" << serial << "again after the renderer ended";
        m_view->loadAt(m_loadingUrl, QPointF());
        return;
    }
    m_retries = 0;
    m_shownUrl = m_loadingUrl;
    m_lastInPlace = false;
    finishUpdate(ok);
}

void LivePreview::finishUpdate(bool ok)
{
    m_loading = false;
    m_shownOk = ok;
    m_shownStatic = m_loadingStatic;
    m_shownType = m_loadingType;
    m_shownSerial = m_loadingSerial;
    Copies &kept = copies()[m_viewer];
    if (ok && kept.serial == m_loadingSerial) {
        kept.shown = kept.copy;
        kept.shownSerial = kept.serial;
    }
    const qint64 took = m_loadClock.elapsed();
    qCDebug(lcLive) << "update" << m_loadingSerial << (ok ? "shown" : "failed") << (m_lastInPlace ? "in place" : "")
                    << took << "ms after the pause";
    if (ok)
        m_lastRender = took;
    m_delay = LiveSource::nextDelay(m_delay, took);
    emit updated(ok, took);
    // What was typed may have grown beyond the view: the caret's element is brought back in
    // (and whatever else was put off while the update was on its way).
    if (ok && std::exchange(m_caretSinceLoad, false))
        m_caretMoved = true;
    if (ok && (m_caretMoved || m_scrolled))
        follow();
    if (m_prepared)
        loadWhenReady();
    else if (m_dirty && !m_pause.isActive())
        startUpdate();
}

void LivePreview::follow()
{
    const bool caret = std::exchange(m_caretMoved, false);
    const bool scrolled = std::exchange(m_scrolled, false);
    if (!m_shown || !m_view || m_shownUrl.isEmpty() || !m_view->isVisible())
        return;
    if (m_dirty || m_pause.isActive() || m_preparing || m_loading) {
        // The page is about to be replaced: following it now would only scroll the old one and
        // repaint the view while the user types. The update follows once it is shown.
        m_caretMoved = caret;
        m_scrolled = scrolled;
        return;
    }
    int line;
    bool toTop = false;
    if (caret) {
        line = m_edit->lineOf(m_edit->caretPosition()) + 1;
    } else if (scrolled) {
        line = m_edit->lineNumber(m_edit->firstVisible()) + 1;
        toTop = true;
    } else {
        return;
    }
    m_view->runProgramScript(QStringLiteral("tarnellFollow(%1, %2)").arg(line).arg(toTop ? "true" : "false"));
}

void LivePreview::sourceLineClicked(int line)
{
    if (line < 1 || line > m_edit->lineCount())
        return;
    // The caret goes to the line's first character that is not blank.
    const int start = m_edit->lineStart(line - 1);
    const QString text = m_edit->textRange(start, 1000);
    int column = 0;
    while (column < text.size() && text[column].isSpace() && text[column] != QLatin1Char('\n'))
        ++column;
    m_edit->setSelStart(start + column);
    m_edit->ensureCursorVisible();
    m_edit->setFocus();
}

bool LivePreview::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Resize && m_view)
        fitOrientation();
    return QObject::eventFilter(watched, event);
}

void LivePreview::fitOrientation()
{
    // Beside the editor in a window wider than tall, below it otherwise.
    const QWidget *window = m_splitter->window();
    const Qt::Orientation o = window->width() > window->height() ? Qt::Horizontal : Qt::Vertical;
    if (m_splitter->orientation() == o)
        return;
    m_splitter->setOrientation(o);
    restoreSizes();
}

void LivePreview::restoreSizes()
{
    if (!m_view || !m_shown)
        return;
    // The editor's share of the splitter, in thousandths.
    bool ok = false;
    int share = AppEnv::setting("view", "livePreviewShare", "500").toInt(&ok);
    if (!ok || share < 50 || share > 950)
        share = 500;
    int total = m_splitter->orientation() == Qt::Horizontal ? m_splitter->width() : m_splitter->height();
    if (total <= 0)
        total = 1000;
    m_restoringSizes = true;
    m_splitter->setSizes({share * total / 1000, total - share * total / 1000});
    m_restoringSizes = false;
}

void LivePreview::saveSizes()
{
    if (m_restoringSizes || !m_view || !m_view->isVisible())
        return;
    const QList<int> sizes = m_splitter->sizes();
    const int total = sizes.value(0) + sizes.value(1);
    if (sizes.size() < 2 || total <= 0)
        return;
    AppEnv::setSetting("view", "livePreviewShare", QString::number(qint64(sizes[0]) * 1000 / total));
}
