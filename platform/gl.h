// platform/gl.h: what every file that draws includes instead of <GL/gl.h> and <GL/glu.h>. The
// types and constants are GL's own; every GL and GLU call the program makes is routed to the
// GL layer (platform/gl_layer.h), which hands it to the real GL or carries it out over GLES 3.
// A GL name the program starts using must be added here and to the layer.
#pragma once
#include <GL/gl.h>
#include <GL/glu.h>

#include "platform/gl_layer.h"

#define glBegin VglBegin
#define glEnd VglEnd
#define glVertex2i VglVertex2i
#define glVertex2f VglVertex2f
#define glVertex3f VglVertex3f
#define glVertex3fv VglVertex3fv
#define glTexCoord2f VglTexCoord2f
#define glColor3f VglColor3f
#define glColor3fv VglColor3fv
#define glColor4f VglColor4f
#define glNormal3f VglNormal3f
#define glNormal3fv VglNormal3fv

#define glMatrixMode VglMatrixMode
#define glLoadIdentity VglLoadIdentity
#define glPushMatrix VglPushMatrix
#define glPopMatrix VglPopMatrix
#define glTranslatef VglTranslatef
#define glTranslated VglTranslated
#define glRotatef VglRotatef
#define glScalef VglScalef
#define glOrtho VglOrtho
#define gluOrtho2D VgluOrtho2D
#define gluPerspective VgluPerspective
#define gluLookAt VgluLookAt

#define glEnable VglEnable
#define glDisable VglDisable
#define glShadeModel VglShadeModel
#define glPolygonMode VglPolygonMode
#define glFrontFace VglFrontFace
#define glBlendFunc VglBlendFunc
#define glStencilFunc VglStencilFunc
#define glStencilOp VglStencilOp
#define glLightfv VglLightfv
#define glFogf VglFogf
#define glFogfv VglFogfv

#define glGenTextures VglGenTextures
#define glBindTexture VglBindTexture
#define glTexParameteri VglTexParameteri
#define glTexEnvf VglTexEnvf
#define glPixelStorei VglPixelStorei
#define glTexImage2D VglTexImage2D

#define glGenLists VglGenLists
#define glNewList VglNewList
#define glEndList VglEndList
#define glCallList VglCallList
#define glCallLists VglCallLists
#define glListBase VglListBase

#define glEnableClientState VglEnableClientState
#define glDisableClientState VglDisableClientState
#define glVertexPointer VglVertexPointer
#define glColorPointer VglColorPointer
#define glTexCoordPointer VglTexCoordPointer
#define glDrawArrays VglDrawArrays

#define glViewport VglViewport
#define glScissor VglScissor
#define glClearColor VglClearColor
#define glClear VglClear
#define glFlush VglFlush
#define glFinish VglFinish
#define glReadPixels VglReadPixels
#define glGetFloatv VglGetFloatv
#define glGetString VglGetString
