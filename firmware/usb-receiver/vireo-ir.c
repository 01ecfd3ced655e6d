// The USB receiver's firmware (ATmega328P at 16 MHz): times every level of
// an IR receiver module on ICP1 (PB0) and sends the durations over the UART
// as two-byte words, as docs/usb-receiver-protocol.md describes.
//
// Timer1 runs free at 0.5 us a tick. The capture interrupt takes each edge;
// compare A fires 8191 us into a level that has not ended, so the level is
// sent in pieces and no time difference ever spans a wrap of the counter.
// Both interrupts only queue ticks; the main loop turns them into words.
#include <avr/interrupt.h>
#include <avr/io.h>
#include <stdint.h>

#define WORD_MAX_US 8191u
#define TICKS_PER_PIECE (2u * WORD_MAX_US)
#define RING_SIZE 128u  // a power of two: the indices wrap by masking
// A level shorter than the capture interrupt's own time cannot be told from
// several merged, so it counts as lost. The module never makes one.
#define MIN_LEVEL_TICKS 40u  // 20 us

// Inlined into the capture interrupt, so that its prologue saves only the
// registers it uses and the capture is read sooner after the edge.
#define INLINE static inline __attribute__((always_inline))

enum {
  ENTRY_LIGHT = 1,       // the level had infrared light (module output low)
  ENTRY_CONTINUES = 2,   // a piece of TICKS_PER_PIECE of a level that goes on
  ENTRY_AFTER_LOSS = 4,  // levels were lost just before this one
};

static volatile uint16_t ringTicks[RING_SIZE];
static volatile uint8_t ringFlags[RING_SIZE];
static volatile uint8_t ringHead;  // moved only by the interrupts
static volatile uint8_t ringTail;  // moved only by the main loop

// Owned by the interrupts, which do not nest.
static uint8_t lightNow;     // the level on the line now
static uint16_t levelStart;  // the tick its unsent part began
static uint8_t lossPending;  // ENTRY_AFTER_LOSS until an entry can carry it
static uint8_t inPieces;     // the level has been queued in part already

INLINE void Queue(uint16_t ticks, uint8_t flags) {
  uint8_t next = (ringHead + 1) & (RING_SIZE - 1);
  if (next == ringTail) {
    lossPending = ENTRY_AFTER_LOSS;
    return;
  }
  ringTicks[ringHead] = ticks;
  ringFlags[ringHead] = flags | lossPending;
  lossPending = 0;
  ringHead = next;
}

INLINE uint8_t LineHasLight(void) { return (PINB & _BV(PB0)) == 0; }

// Takes the level the line shows now, timed from now, and waits for the edge
// that ends it. The pin is read again after the flag is cleared: an edge in
// between would otherwise leave the capture waiting for the wrong one.
INLINE void FollowLine(void) {
  uint8_t light;
  do {
    light = LineHasLight();
    if (light) {
      TCCR1B |= _BV(ICES1);
    } else {
      TCCR1B &= ~_BV(ICES1);
    }
    TIFR1 = _BV(ICF1);
  } while (LineHasLight() != light);
  lightNow = light;
  levelStart = TCNT1;
  OCR1A = levelStart + TICKS_PER_PIECE;
  TIFR1 = _BV(OCF1A);
}

ISR(TIMER1_CAPT_vect) {
  uint16_t now = ICR1;
  TCCR1B ^= _BV(ICES1);
  TIFR1 = _BV(ICF1);  // changing the edge may raise the flag by itself
  uint16_t ticks = now - levelStart;
  if (ticks < MIN_LEVEL_TICKS && !inPieces) {
    lossPending = ENTRY_AFTER_LOSS;
  } else {
    Queue(ticks, lightNow);
  }
  inPieces = 0;
  lightNow ^= 1;
  levelStart = now;
  OCR1A = now + TICKS_PER_PIECE;
  // A compare due before this edge belongs to the level just queued whole.
  TIFR1 = _BV(OCF1A);
  // An odd number of edges came before the edge was turned: the line is not
  // where this one left it.
  if (LineHasLight() != lightNow) {
    FollowLine();
    lossPending = ENTRY_AFTER_LOSS;
  }
}

ISR(TIMER1_COMPA_vect) {
  Queue(TICKS_PER_PIECE, lightNow | ENTRY_CONTINUES);
  inPieces = 1;
  levelStart += TICKS_PER_PIECE;
  OCR1A = levelStart + TICKS_PER_PIECE;
}

static void SendByte(uint8_t b) {
  while (!(UCSR0A & _BV(UDRE0))) {
  }
  UDR0 = b;
}

static void SendWord(uint8_t light, uint16_t us) {
  SendByte(0x80 | (light << 6) | (us >> 7));
  SendByte(us & 0x7f);
}

static void SendHello(void) {
  for (const char* c = "VIREO-IR 1\n"; *c; ++c) SendByte(*c);
}

// The half microsecond a whole level's rounding left over goes to the next
// level, so that the sum of the words keeps to the edges' times.
static uint8_t halfUs;

static void SendEntry(uint16_t ticks, uint8_t flags) {
  uint8_t light = flags & ENTRY_LIGHT;
  if (flags & ENTRY_AFTER_LOSS) SendWord(0, 0);
  if (flags & ENTRY_CONTINUES) {
    SendWord(light, WORD_MAX_US);
    return;
  }
  uint16_t t = ticks + halfUs;
  halfUs = t & 1;
  uint16_t us = t >> 1;
  // A capture can beat a compare that was due just before it.
  while (us >= WORD_MAX_US) {
    SendWord(light, WORD_MAX_US);
    us -= WORD_MAX_US;
  }
  SendWord(light, us ? us : 1);
}

int main(void) {
  UBRR0 = 3;  // 250000 baud exactly at 16 MHz
  UCSR0A = 0;
  UCSR0B = _BV(RXEN0) | _BV(TXEN0);
  UCSR0C = _BV(UCSZ01) | _BV(UCSZ00);

  PORTB |= _BV(PB0);  // a module not plugged in reads as a dark line
  TCCR1A = 0;
  TCCR1B = _BV(CS11);  // 0.5 us ticks; the noise canceller stays off
  FollowLine();
  TIMSK1 = _BV(ICIE1) | _BV(OCIE1A);
  sei();

  SendHello();
  for (;;) {
    if ((UCSR0A & _BV(RXC0)) && UDR0 == 'v') SendHello();
    uint8_t tail = ringTail;
    if (tail != ringHead) {
      SendEntry(ringTicks[tail], ringFlags[tail]);
      ringTail = (tail + 1) & (RING_SIZE - 1);
    }
  }
}
