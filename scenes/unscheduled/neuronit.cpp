// Scene neuronit, which no timeline window draws: a slowly turning web of blue neurons joined by
// translucent orange link triangles, the neurons appearing one by one in the first fifth.
#include "engine/colors.h"
#include "engine/gl.h"
#include "engine/matrix.h"
#include "engine/position.h"
#include "engine/random.h"
#include "scenes/scenes.h"

#include <cmath>

// One neuron and its one or two links.
struct Neuron {
    Vector position;
    int linkcount;  // 1 or 2
    int* targets;   // linkcount neuron indices, owned (array new)
    Vector* bulges; // linkcount offsets of each link triangle's third corner from its midpoint
};

int neuroncount = 60;
Neuron* neurons;

static const int neuronseed = 1609;
// The neurons appear over the first fifth of the scene.
static const float neurongrowth = 0.2f;

// The draws of one call happen in the order written, whatever order the compiler evaluates
// arguments in: the layout depends on it.
static Vector centred_draws() {
    float x = randFloat() - 0.5f;
    float y = randFloat() - 0.5f;
    float z = randFloat() - 0.5f;
    return Vector(x, y, z);
}

void neuronit_init() {
    neurons = new Neuron[neuroncount];
    Matrix box;
    box.makeScale(2.5f, 1.6f, 1.6f);
    setSeed(neuronseed);
    for (int i = 0; i < neuroncount; i++) {
        Neuron& n = neurons[i];
        n.position = centred_draws() * box;
        n.linkcount = (int)(2 * randFloat()) + 1;
        n.targets = new int[n.linkcount];
        n.bulges = new Vector[n.linkcount];
        for (int j = 0; j < n.linkcount; j++) {
            float r = randFloat();
            int target = (int)((float)((neuroncount - 1) - 0) * r + r);
            // A draw of exactly 1 would name one past the last neuron; the seeded web has none.
            n.targets[j] = target < neuroncount ? target : neuroncount - 1;
            float u = randFloat();
            float v = randFloat();
            float w = randFloat();
            n.bulges[j] = sphereCoord(0.05f + 0.2f * u, 3.141592f * v, 2 * 3.141592f * w);
        }
    }
}

void neuronit(float pos) {
    float fade = calcSaturate(pos, 0, 1, 6) * (0.2f * (float)cos((double)(32 * pos)) + 0.9f);

    glLoadIdentity();
    gluLookAt(1 - 2 * pos, 0, -3, 0, 0, 0, 0, 1, 0);
    glRotatef(70 * pos, 0.1f, 1, -0.3f);

    glDisable(GL_TEXTURE_2D);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_BLEND);

    float f = (float)neuroncount * calcPosFloat(pos, 0, neurongrowth);
    int visible = (int)f;
    float frac = f - (float)visible;

    for (int i = 0; i < visible; i++) {
        const Neuron& n = neurons[i];
        glPointSize(5.0f);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        glBegin(GL_POINTS);
        glColor4f(sininen.x, sininen.y, sininen.z, fade);
        glVertex3fv(&n.position.x);
        glEnd();

        // The newest neuron's point is at full strength at once; only its links fade in.
        float a = i == visible - 1 ? fade * frac : fade;
        for (int j = 0; j < n.linkcount; j++) {
            // The far end may not be visible yet; the link is drawn to it all the same.
            Vector p = n.position;
            Vector q = neurons[n.targets[j]].position;
            Vector c = (p + q) * 0.5f + n.bulges[j];
            glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
            glBegin(GL_TRIANGLES);
            glColor4f(oranssi.x, oranssi.y, oranssi.z, 0.25f * a);
            glVertex3fv(&p.x);
            glVertex3fv(&q.x);
            glVertex3fv(&c.x);
            glEnd();
            glBlendFunc(GL_SRC_ALPHA, GL_ONE);
            glBegin(GL_LINE_LOOP);
            glColor4f(oranssi.x, oranssi.y, oranssi.z, 0.4f * a);
            glVertex3fv(&p.x);
            glVertex3fv(&q.x);
            glVertex3fv(&c.x);
            glEnd();
        }
    }
}

void neuronit_free() {
    if (!neurons)
        return;
    for (int i = 0; i < neuroncount; i++) {
        delete[] neurons[i].targets;
        delete[] neurons[i].bulges;
    }
    delete[] neurons;
    neurons = nullptr;
}
